#include "gargle_filter.h"

#include <cmath>

#include "pcm_level.h"

namespace movanta::outside {

CUnknown* CAudioGargle::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    return NewComObject<CAudioGargle>(result, outer);
}

CAudioGargle::CAudioGargle(LPUNKNOWN outer) : CPcmPassThrough(L"audio gargle", outer, CLSID_AudioGargle) {}

HRESULT CAudioGargle::NonDelegatingQueryInterface(REFIID iid, void** object) {
    if (iid == IID_IAudioEffect) return GetInterface(static_cast<IAudioEffect*>(&m_effect), object);
    return CPcmPassThrough::NonDelegatingQueryInterface(iid, object);
}

HRESULT CAudioGargle::StartStreaming() {
    m_phase = 0;
    return S_OK;
}

double CAudioGargle::Gain() const {
    const double triangle = m_phase < 0.5 ? 1 - 2 * m_phase : 2 * m_phase - 1;  // 1 at the crest, 0 at the trough
    return 1 - m_depth / 100.0 * (1 - triangle);
}

void CAudioGargle::ProcessPcm(std::uint8_t* pcm, long bytes, const WAVEFORMATEX& format) {
    const LONG rate = m_rate;
    if (m_enabled && rate > 0 && format.nSamplesPerSec > 0) {
        const double step = static_cast<double>(rate) / format.nSamplesPerSec;
        const int channels = format.nChannels;
        if (format.wBitsPerSample == 16) {
            auto* samples = reinterpret_cast<std::int16_t*>(pcm);
            for (long i = 0; i < bytes / 2; ++i) {
                samples[i] = static_cast<std::int16_t>(std::lround(samples[i] * Gain()));
                if ((i + 1) % channels == 0) m_phase = std::fmod(m_phase + step, 1.0);
            }
        } else {
            for (long i = 0; i < bytes; ++i) {
                pcm[i] = static_cast<std::uint8_t>(128 + std::lround((pcm[i] - 128) * Gain()));
                if ((i + 1) % channels == 0) m_phase = std::fmod(m_phase + step, 1.0);
            }
        }
    }
    m_level = PeakLevel(pcm, bytes, format.wBitsPerSample);
}

HRESULT CAudioGargle::Effect::SetEnabled(BOOL enabled) {
    f_.m_enabled = enabled != FALSE;
    return S_OK;
}

HRESULT CAudioGargle::Effect::GetEnabled(BOOL* enabled) {
    if (enabled == nullptr) return E_POINTER;
    *enabled = f_.m_enabled ? TRUE : FALSE;
    return S_OK;
}

HRESULT CAudioGargle::Effect::GetLevel(LONG* level) {
    if (level == nullptr) return E_POINTER;
    *level = f_.m_level;
    return S_OK;
}

HRESULT CAudioGargle::Effect::SetDepth(LONG percent) {
    if (percent < 0 || percent > 100) return E_INVALIDARG;
    f_.m_depth = percent;
    return S_OK;
}

HRESULT CAudioGargle::Effect::GetValue(LONG* value) {
    if (value == nullptr) return E_POINTER;
    *value = f_.m_rate;
    return S_OK;
}

// Switches the effect on for the coming run (the wave starts at its crest
// when the stream starts).
HRESULT CAudioGargle::Effect::Arm() {
    f_.m_enabled = true;
    return S_OK;
}

HRESULT CAudioGargle::Effect::SetValue(LONG value) {
    if (value < 0 || value > 1000) return E_INVALIDARG;
    f_.m_rate = value;
    return S_OK;
}

}  // namespace movanta::outside
