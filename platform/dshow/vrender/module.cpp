// The video renderer plug-in.
#include "com/server.h"
#include "dshow/setup.h"
#include "video_renderer.h"

namespace {

using movanta::dshow::CLSID_MovantaVideoRenderer;
using movanta::dshow::CVideoRenderer;

const AMOVIESETUP_MEDIATYPE kPictures[] = {{&MEDIATYPE_Video, &MEDIASUBTYPE_YV12},
                                           {&MEDIATYPE_Video, &MEDIASUBTYPE_YUY2},
                                           {&MEDIATYPE_Video, &MEDIASUBTYPE_RGB24}};
const AMOVIESETUP_PIN kPins[] = {{L"Input", TRUE, FALSE, FALSE, FALSE, &GUID_NULL, nullptr, 3, kPictures}};
const AMOVIESETUP_FILTER kFilter = {&CLSID_MovantaVideoRenderer, L"Video Renderer", MERIT_PREFERRED, 1, kPins};

}  // namespace

CFactoryTemplate g_Templates[] = {
    {L"Video Renderer", &CLSID_MovantaVideoRenderer, CVideoRenderer::CreateInstance, nullptr, &kFilter},
};
int g_cTemplates = 1;

extern "C" HRESULT DllRegisterServer() {
    return AMovieDllRegisterServer2(TRUE);
}
extern "C" HRESULT DllUnregisterServer() {
    return AMovieDllRegisterServer2(FALSE);
}
