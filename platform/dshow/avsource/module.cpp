// The file source plug-in: the source for any file libavformat reads, also
// registered as the ASF reader, and the extensions it opens.
#include "com/server.h"
#include "dshow/setup.h"
#include "source_filter.h"

namespace {

using movanta::dshow::CAvSourceFilter;
using movanta::dshow::CLSID_MovantaFileSource;

const AMOVIESETUP_MEDIATYPE kAny[] = {{&GUID_NULL, &GUID_NULL}};
const AMOVIESETUP_PIN kPins[] = {{L"Output", FALSE, TRUE, FALSE, TRUE, &GUID_NULL, nullptr, 1, kAny}};
const AMOVIESETUP_FILTER kSource = {&CLSID_MovantaFileSource, L"File Source (libavformat)", MERIT_UNLIKELY, 1, kPins};
const AMOVIESETUP_FILTER kAsfReader = {&CLSID_WMAsfReader, L"WM ASF Reader", MERIT_UNLIKELY, 1, kPins};

}  // namespace

CFactoryTemplate g_Templates[] = {
    {L"File Source (libavformat)", &CLSID_MovantaFileSource, CAvSourceFilter::CreateInstance, nullptr, &kSource},
    {L"WM ASF Reader", &CLSID_WMAsfReader, CAvSourceFilter::CreateAsfReader, nullptr, &kAsfReader},
};
int g_cTemplates = 2;

namespace {

HRESULT RegisterExtensions(BOOL registering) {
    HRESULT result = RegisterSourceExtension(L"*", CLSID_MovantaFileSource, registering);
    for (LPCWSTR extension : {L".wmv", L".asf", L".wma"}) {
        const HRESULT hr = RegisterSourceExtension(extension, CLSID_WMAsfReader, registering);
        if (FAILED(hr)) result = hr;
    }
    return result;
}

}  // namespace

extern "C" HRESULT DllRegisterServer() {
    const HRESULT hr = AMovieDllRegisterServer2(TRUE);
    return FAILED(hr) ? hr : RegisterExtensions(TRUE);
}

extern "C" HRESULT DllUnregisterServer() {
    RegisterExtensions(FALSE);
    return AMovieDllRegisterServer2(FALSE);
}
