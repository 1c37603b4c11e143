// The "XVid" plug-in, created by class id by the engine for ".3gp" input.
#include "com/server.h"
#include "dshow/media_subtypes.h"
#include "dshow/setup.h"
#include "xvid_decoder.h"

namespace {

const AMOVIESETUP_MEDIATYPE kCoded[] = {{&MEDIATYPE_Video, &GUID_NULL}, {&MEDIATYPE_Video, &MEDIASUBTYPE_XVID}};
const AMOVIESETUP_MEDIATYPE kPictures[] = {{&MEDIATYPE_Video, &MEDIASUBTYPE_YV12}};
const AMOVIESETUP_PIN kPins[] = {{L"Input", FALSE, FALSE, FALSE, FALSE, &GUID_NULL, nullptr, 2, kCoded},
                                 {L"Output", FALSE, TRUE, FALSE, FALSE, &GUID_NULL, nullptr, 1, kPictures}};
const AMOVIESETUP_FILTER kFilter = {&CLSID_XvidDecoder, L"XVid", MERIT_DO_NOT_USE, 2, kPins};

}  // namespace

CFactoryTemplate g_Templates[] = {
    {L"XVid", &CLSID_XvidDecoder, movanta::outside::CXvidDecoder::CreateInstance, nullptr, &kFilter},
};
int g_cTemplates = 1;

extern "C" HRESULT DllRegisterServer() {
    return AMovieDllRegisterServer2(TRUE);
}
extern "C" HRESULT DllUnregisterServer() {
    return AMovieDllRegisterServer2(FALSE);
}
