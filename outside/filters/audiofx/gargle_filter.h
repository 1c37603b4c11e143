// "audio gargle": an amplitude modulation by a triangle wave. The value is
// the modulation rate in hertz; at 0 (or while disabled) the sound passes
// unchanged. The depth says how far the level falls at the wave's trough.
#pragma once

#include <atomic>

#include "outside/filters/effect_interfaces.h"
#include "pcm_passthrough.h"

namespace movanta::outside {

class CAudioGargle final : public CPcmPassThrough {
public:
    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);
    explicit CAudioGargle(LPUNKNOWN outer);

    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;
    HRESULT StartStreaming() override;

private:
    class Effect final : public CNestedInterface<IAudioEffect> {
    public:
        explicit Effect(CAudioGargle& filter) : CNestedInterface(filter), f_(filter) {}
        HRESULT SetEnabled(BOOL enabled) override;
        HRESULT GetEnabled(BOOL* enabled) override;
        HRESULT GetLevel(LONG* level) override;
        HRESULT SetDepth(LONG percent) override;
        HRESULT GetValue(LONG* value) override;
        HRESULT Arm() override;
        HRESULT SetValue(LONG value) override;

    private:
        CAudioGargle& f_;
    };

    void ProcessPcm(std::uint8_t* pcm, long bytes, const WAVEFORMATEX& format) override;
    // The gain at the current phase, 1 at the crest.
    double Gain() const;

    std::atomic<bool> m_enabled {true};
    std::atomic<LONG> m_rate {0};
    std::atomic<LONG> m_depth {100};
    std::atomic<LONG> m_level {0};
    double m_phase = 0;  // 0 to 1 along the triangle, on the streaming thread
    Effect m_effect {*this};
};

}  // namespace movanta::outside
