// The "Xvid Encoder" plug-in, created by class id by the engine.
#include "com/server.h"
#include "dshow/media_subtypes.h"
#include "dshow/setup.h"
#include "xvid_encoder_filter.h"

namespace {

const AMOVIESETUP_MEDIATYPE kPictures[] = {{&MEDIATYPE_Video, &MEDIASUBTYPE_YV12}};
const AMOVIESETUP_MEDIATYPE kCoded[] = {{&MEDIATYPE_Video, &MEDIASUBTYPE_XVID}};
const AMOVIESETUP_PIN kPins[] = {{L"Input", FALSE, FALSE, FALSE, FALSE, &GUID_NULL, nullptr, 1, kPictures},
                                 {L"Output", FALSE, TRUE, FALSE, FALSE, &GUID_NULL, nullptr, 1, kCoded}};
const AMOVIESETUP_FILTER kFilter = {&CLSID_XvidEncoder, L"Xvid Encoder", MERIT_DO_NOT_USE, 2, kPins};

}  // namespace

CFactoryTemplate g_Templates[] = {
    {L"Xvid Encoder", &CLSID_XvidEncoder, movanta::outside::CXvidEncoder::CreateInstance, nullptr, &kFilter},
};
int g_cTemplates = 1;

extern "C" HRESULT DllRegisterServer() {
    return AMovieDllRegisterServer2(TRUE);
}
extern "C" HRESULT DllUnregisterServer() {
    return AMovieDllRegisterServer2(FALSE);
}
