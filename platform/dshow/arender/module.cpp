// The audio renderer plug-in.
#include "audio_renderer.h"
#include "com/server.h"
#include "dshow/setup.h"

namespace {

using movanta::dshow::CAudioRenderer;
using movanta::dshow::CLSID_MovantaAudioRenderer;

const AMOVIESETUP_MEDIATYPE kPcm[] = {{&MEDIATYPE_Audio, &MEDIASUBTYPE_PCM}};
const AMOVIESETUP_PIN kPins[] = {{L"Input", TRUE, FALSE, FALSE, FALSE, &GUID_NULL, nullptr, 1, kPcm}};
const AMOVIESETUP_FILTER kFilter = {&CLSID_MovantaAudioRenderer, L"Audio Renderer", MERIT_PREFERRED, 1, kPins};

}  // namespace

CFactoryTemplate g_Templates[] = {
    {L"Audio Renderer", &CLSID_MovantaAudioRenderer, CAudioRenderer::CreateInstance, nullptr, &kFilter},
};
int g_cTemplates = 1;

extern "C" HRESULT DllRegisterServer() {
    return AMovieDllRegisterServer2(TRUE);
}
extern "C" HRESULT DllUnregisterServer() {
    return AMovieDllRegisterServer2(FALSE);
}
