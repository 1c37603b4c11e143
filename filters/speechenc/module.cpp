// The voxenc plug-in: the AMR-NB encoder filter, its mode page and their
// registration data. libamr is loaded from this plug-in's folder.
#include "amr_encoder_filter.h"
#include "amr_mode_page.h"
#include "com/server.h"
#include "dshow/setup.h"

namespace {

const AMOVIESETUP_FILTER kFilter = {&CLSID_TxAmrNbEncoder, L"TRX AMR Encoder", MERIT_DO_NOT_USE, 0, nullptr};

}  // namespace

CFactoryTemplate g_Templates[] = {
    {L"TRX AMR Encoder", &CLSID_TxAmrNbEncoder, movanta::amr::CTxAmrNbEncoder::CreateInstance, nullptr, &kFilter},
    {L"Bitrate Mode", &CLSID_TxAmrModePage, movanta::amr::CTxAmrModePage::CreateInstance, nullptr, nullptr},
};
int g_cTemplates = 2;

extern "C" HRESULT DllRegisterServer() {
    return AMovieDllRegisterServer2(TRUE);
}
extern "C" HRESULT DllUnregisterServer() {
    return AMovieDllRegisterServer2(FALSE);
}
