// The "MP3 Encoder" plug-in, created by class id by the engine.
#include "com/server.h"
#include "dshow/media_subtypes.h"
#include "dshow/setup.h"
#include "mp3_encoder_filter.h"

namespace {

const AMOVIESETUP_MEDIATYPE kPcm[] = {{&MEDIATYPE_Audio, &MEDIASUBTYPE_PCM}};
const AMOVIESETUP_MEDIATYPE kCoded[] = {{&MEDIATYPE_Audio, &MEDIASUBTYPE_MP3}};
const AMOVIESETUP_PIN kPins[] = {{L"Input", FALSE, FALSE, FALSE, FALSE, &GUID_NULL, nullptr, 1, kPcm},
                                 {L"Output", FALSE, TRUE, FALSE, FALSE, &GUID_NULL, nullptr, 1, kCoded}};
const AMOVIESETUP_FILTER kFilter = {&CLSID_Mp3Encoder, L"MP3 Encoder", MERIT_DO_NOT_USE, 2, kPins};

}  // namespace

CFactoryTemplate g_Templates[] = {
    {L"MP3 Encoder", &CLSID_Mp3Encoder, movanta::outside::CMp3Encoder::CreateInstance, nullptr, &kFilter},
};
int g_cTemplates = 1;

extern "C" HRESULT DllRegisterServer() {
    return AMovieDllRegisterServer2(TRUE);
}
extern "C" HRESULT DllUnregisterServer() {
    return AMovieDllRegisterServer2(FALSE);
}
