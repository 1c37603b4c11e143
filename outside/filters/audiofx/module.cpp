// The audio effects plug-in: "TRX Scope" and "audio gargle", created by
// class id by the engine.
#include "com/server.h"
#include "dshow/setup.h"
#include "gargle_filter.h"
#include "scope_filter.h"

namespace {

const AMOVIESETUP_MEDIATYPE kPcm[] = {{&MEDIATYPE_Audio, &MEDIASUBTYPE_PCM}};
const AMOVIESETUP_PIN kPins[] = {{L"Input", FALSE, FALSE, FALSE, FALSE, &GUID_NULL, nullptr, 1, kPcm},
                                 {L"Output", FALSE, TRUE, FALSE, FALSE, &GUID_NULL, nullptr, 1, kPcm}};
const AMOVIESETUP_FILTER kScope = {&CLSID_TrxScope, L"TRX Scope", MERIT_DO_NOT_USE, 2, kPins};
const AMOVIESETUP_FILTER kGargle = {&CLSID_AudioGargle, L"audio gargle", MERIT_DO_NOT_USE, 2, kPins};

}  // namespace

CFactoryTemplate g_Templates[] = {
    {L"TRX Scope", &CLSID_TrxScope, movanta::outside::CTrxScope::CreateInstance, nullptr, &kScope},
    {L"audio gargle", &CLSID_AudioGargle, movanta::outside::CAudioGargle::CreateInstance, nullptr, &kGargle},
};
int g_cTemplates = 2;

extern "C" HRESULT DllRegisterServer() {
    return AMovieDllRegisterServer2(TRUE);
}
extern "C" HRESULT DllUnregisterServer() {
    return AMovieDllRegisterServer2(FALSE);
}
