// The "ImgEffect" plug-in, created by class id by the engine.
#include "com/server.h"
#include "dshow/setup.h"
#include "img_effect_filter.h"

namespace {

const AMOVIESETUP_MEDIATYPE kPictures[] = {{&MEDIATYPE_Video, &MEDIASUBTYPE_YV12},
                                           {&MEDIATYPE_Video, &MEDIASUBTYPE_YUY2},
                                           {&MEDIATYPE_Video, &MEDIASUBTYPE_RGB24}};
const AMOVIESETUP_PIN kPins[] = {{L"Input", FALSE, FALSE, FALSE, FALSE, &GUID_NULL, nullptr, 3, kPictures},
                                 {L"Output", FALSE, TRUE, FALSE, FALSE, &GUID_NULL, nullptr, 3, kPictures}};
const AMOVIESETUP_FILTER kFilter = {&CLSID_ImgEffect, L"ImgEffect", MERIT_DO_NOT_USE, 2, kPins};

}  // namespace

CFactoryTemplate g_Templates[] = {
    {L"ImgEffect", &CLSID_ImgEffect, movanta::outside::CImgEffect::CreateInstance, nullptr, &kFilter},
};
int g_cTemplates = 1;

extern "C" HRESULT DllRegisterServer() {
    return AMovieDllRegisterServer2(TRUE);
}
extern "C" HRESULT DllUnregisterServer() {
    return AMovieDllRegisterServer2(FALSE);
}
