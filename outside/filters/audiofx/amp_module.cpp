// The "TxAmp" plug-in, created by class id by the engine.
#include "amp_filter.h"
#include "com/server.h"
#include "dshow/setup.h"

namespace {

const AMOVIESETUP_MEDIATYPE kAudio[] = {{&MEDIATYPE_Audio, &GUID_NULL}};
const AMOVIESETUP_PIN kPins[] = {{L"Input", FALSE, FALSE, FALSE, FALSE, &GUID_NULL, nullptr, 1, kAudio},
                                 {L"Output", FALSE, TRUE, FALSE, FALSE, &GUID_NULL, nullptr, 1, kAudio}};
const AMOVIESETUP_FILTER kFilter = {&CLSID_TxAmp, L"TxAmp", MERIT_DO_NOT_USE, 2, kPins};

}  // namespace

CFactoryTemplate g_Templates[] = {
    {L"TxAmp", &CLSID_TxAmp, movanta::outside::CTxAmp::CreateInstance, nullptr, &kFilter},
};
int g_cTemplates = 1;

extern "C" HRESULT DllRegisterServer() {
    return AMovieDllRegisterServer2(TRUE);
}
extern "C" HRESULT DllUnregisterServer() {
    return AMovieDllRegisterServer2(FALSE);
}
