// The boxmux plug-in: the writer filter's class and registration data.
#include "com/server.h"
#include "dshow/setup.h"
#include "muxer_filter.h"

namespace {

const AMOVIESETUP_MEDIATYPE kAnyType[] = {{&GUID_NULL, &GUID_NULL}};
const AMOVIESETUP_PIN kPins[] = {{L"Input", FALSE, FALSE, FALSE, FALSE, &GUID_NULL, L"Output", 1, kAnyType}};
const AMOVIESETUP_FILTER kFilter = {&CLSID_Mp4Muxer, L"TRX Mp4 Muxer", MERIT_DO_NOT_USE, 1, kPins};

}  // namespace

CFactoryTemplate g_Templates[] = {
    {L"Mp4 Muxer Template", &CLSID_Mp4Muxer, movanta::muxer::CMp4SysMuxer::CreateInstance, nullptr, &kFilter},
};
int g_cTemplates = 1;

extern "C" HRESULT DllRegisterServer() { return AMovieDllRegisterServer2(TRUE); }
extern "C" HRESULT DllUnregisterServer() { return AMovieDllRegisterServer2(FALSE); }
