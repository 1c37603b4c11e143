// The voxdec plug-in: the AMR-NB decoder filter and its registration data.
// libamr is loaded from this plug-in's folder.
#include "amr_decoder_filter.h"
#include "com/server.h"
#include "dshow/media_subtypes.h"
#include "dshow/setup.h"

namespace {

const AMOVIESETUP_MEDIATYPE kAmr[] = {{&MEDIATYPE_Audio, &MEDIASUBTYPE_AMR}};
const AMOVIESETUP_PIN kPins[] = {{L"Input", FALSE, FALSE, FALSE, FALSE, &GUID_NULL, L"Output", 1, kAmr}};
const AMOVIESETUP_FILTER kFilter = {&movanta::amr::CLSID_TxAmrNbDecoder, L"TRX AMR Decoder", MERIT_PREFERRED + 1, 1,
                                    kPins};

}  // namespace

CFactoryTemplate g_Templates[] = {
    {L"TRX AMR Decoder", &movanta::amr::CLSID_TxAmrNbDecoder, movanta::amr::CTxAmrNbDecoder::CreateInstance, nullptr,
     &kFilter},
};
int g_cTemplates = 1;

extern "C" HRESULT DllRegisterServer() {
    return AMovieDllRegisterServer2(TRUE);
}
extern "C" HRESULT DllUnregisterServer() {
    return AMovieDllRegisterServer2(FALSE);
}
