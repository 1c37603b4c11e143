// The "Source" plug-in, created by class id by the engine for ".3gp" input.
#include "com/server.h"
#include "dshow/setup.h"
#include "gpp_source.h"

namespace {

const AMOVIESETUP_MEDIATYPE kAny[] = {{&GUID_NULL, &GUID_NULL}};
const AMOVIESETUP_PIN kPins[] = {{L"Output", FALSE, TRUE, FALSE, TRUE, &GUID_NULL, nullptr, 1, kAny}};
const AMOVIESETUP_FILTER kFilter = {&CLSID_GppSource, L"Source", MERIT_DO_NOT_USE, 1, kPins};

}  // namespace

CFactoryTemplate g_Templates[] = {
    {L"Source", &CLSID_GppSource, movanta::outside::CreateGppSource, nullptr, &kFilter},
};
int g_cTemplates = 1;

extern "C" HRESULT DllRegisterServer() {
    return AMovieDllRegisterServer2(TRUE);
}
extern "C" HRESULT DllUnregisterServer() {
    return AMovieDllRegisterServer2(FALSE);
}
