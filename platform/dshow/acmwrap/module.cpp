// The audio format converter plug-in, registered as the system's ACM
// wrapper so that the automatic connection can put it between PCM of one
// format and an input that wants another.
#include "com/server.h"
#include "dshow/setup.h"
#include "pcm_converter.h"

namespace {

const AMOVIESETUP_MEDIATYPE kPcm[] = {{&MEDIATYPE_Audio, &MEDIASUBTYPE_PCM}};
const AMOVIESETUP_PIN kPins[] = {{L"Input", FALSE, FALSE, FALSE, FALSE, &GUID_NULL, nullptr, 1, kPcm},
                                 {L"Output", FALSE, TRUE, FALSE, FALSE, &GUID_NULL, nullptr, 1, kPcm}};
const AMOVIESETUP_FILTER kFilter = {&CLSID_ACMWrapper, L"ACM Wrapper", MERIT_NORMAL, 2, kPins};

}  // namespace

CFactoryTemplate g_Templates[] = {
    {L"ACM Wrapper", &CLSID_ACMWrapper, movanta::dshow::CPcmConverter::CreateInstance, nullptr, &kFilter},
};
int g_cTemplates = 1;

extern "C" HRESULT DllRegisterServer() {
    return AMovieDllRegisterServer2(TRUE);
}
extern "C" HRESULT DllUnregisterServer() {
    return AMovieDllRegisterServer2(FALSE);
}
