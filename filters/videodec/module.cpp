// The avdecfilt plug-in: the H.263 decoder filter and its registration data.
#include "com/server.h"
#include "dshow/setup.h"
#include "h263_decoder_filter.h"

namespace {

const AMOVIESETUP_MEDIATYPE kVideo[] = {{&MEDIATYPE_Video, &MEDIASUBTYPE_NULL}};
const AMOVIESETUP_PIN kPins[] = {{L"Input", FALSE, FALSE, FALSE, FALSE, &GUID_NULL, nullptr, 1, kVideo},
                                 {L"Output", FALSE, TRUE, FALSE, FALSE, &GUID_NULL, nullptr, 1, kVideo}};
const AMOVIESETUP_FILTER kFilter = {&CLSID_TxFFMpegDec, L"TRX FFMpeg Dec", MERIT_DO_NOT_USE + 1, 2, kPins};

}  // namespace

CFactoryTemplate g_Templates[] = {
    {L"FFMpeg Dec Templates", &CLSID_TxFFMpegDec, movanta::videodec::CTxFFMpegDec::CreateInstance, nullptr, &kFilter},
};
int g_cTemplates = 1;

extern "C" HRESULT DllRegisterServer() {
    return AMovieDllRegisterServer2(TRUE);
}
extern "C" HRESULT DllUnregisterServer() {
    return AMovieDllRegisterServer2(FALSE);
}
