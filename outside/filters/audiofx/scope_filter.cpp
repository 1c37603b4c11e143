#include "scope_filter.h"

#include <new>

#include "outside/filters/effect_interfaces.h"
#include "pcm_level.h"

namespace movanta::outside {

CUnknown* CTrxScope::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    if (result == nullptr) return nullptr;
    auto* filter = new (std::nothrow) CTrxScope(outer);
    if (filter == nullptr) *result = E_OUTOFMEMORY;
    return filter;
}

CTrxScope::CTrxScope(LPUNKNOWN outer) : CPcmPassThrough(L"TRX Scope", outer, CLSID_TrxScope) {}

void CTrxScope::ProcessPcm(std::uint8_t* pcm, long bytes, const WAVEFORMATEX& format) {
    m_level = PeakLevel(pcm, bytes, format.wBitsPerSample);
}

}  // namespace movanta::outside
