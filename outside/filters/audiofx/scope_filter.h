// "TRX Scope": PCM passes through unchanged; the filter keeps the peak
// level of the last buffer, as a level meter would show it.
#pragma once

#include <atomic>

#include "pcm_passthrough.h"

namespace movanta::outside {

class CTrxScope final : public CPcmPassThrough {
public:
    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);
    explicit CTrxScope(LPUNKNOWN outer);
    // The peak of the last buffer, 0 to 32767.
    LONG Level() const { return m_level; }

private:
    void ProcessPcm(std::uint8_t* pcm, long bytes, const WAVEFORMATEX& format) override;
    std::atomic<LONG> m_level {0};
};

}  // namespace movanta::outside
