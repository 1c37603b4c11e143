#include "scope_filter.h"


#include "outside/filters/effect_interfaces.h"
#include "pcm_level.h"

namespace movanta::outside {

CUnknown* CTrxScope::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    return NewComObject<CTrxScope>(result, outer);
}

CTrxScope::CTrxScope(LPUNKNOWN outer) : CPcmPassThrough(L"TRX Scope", outer, CLSID_TrxScope) {}

void CTrxScope::ProcessPcm(std::uint8_t* pcm, long bytes, const WAVEFORMATEX& format) {
    m_level = PeakLevel(pcm, bytes, format.wBitsPerSample);
}

}  // namespace movanta::outside
