#include "audio_renderer.h"

#include <algorithm>
#include <cmath>

#include "win/debug.h"

namespace movanta::dshow {
namespace {

constexpr REFERENCE_TIME kLead = 200 * MILLISECONDS;     // sound queued ahead of its time
constexpr REFERENCE_TIME kTooLate = 500 * MILLISECONDS;  // later than this: dropped

bool IsPlayable(const CMediaType& type) {
    const WAVEFORMATEX* format = WaveFormatOf(type);
    return type.majortype == MEDIATYPE_Audio && type.subtype == MEDIASUBTYPE_PCM && format != nullptr &&
           format->wFormatTag == WAVE_FORMAT_PCM && (format->wBitsPerSample == 8 || format->wBitsPerSample == 16) &&
           (format->nChannels == 1 || format->nChannels == 2) && format->nSamplesPerSec >= 4000 &&
           format->nSamplesPerSec <= 192000;
}

// A level in hundredths of a decibel as a gain.
double Gain(LONG hundredths) {
    return std::pow(10.0, hundredths / 2000.0);
}

}  // namespace

class CAudioRenderer::InputPin final : public CTimedRendererPin {
public:
    InputPin(CAudioRenderer* renderer, HRESULT* result)
        : CTimedRendererPin(L"Audio renderer input", renderer, result, L"Audio Input pin (rendered)"),
          renderer_(renderer) {}
    HRESULT CheckMediaType(const CMediaType* type) override {
        return IsPlayable(*type) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
    }
    HRESULT EndOfStream() override {
        if (CheckStreaming() == S_OK) renderer_->Drain();
        return CTimedRendererPin::EndOfStream();
    }
    HRESULT BeginFlush() override {
        renderer_->m_output.Clear();
        return CTimedRendererPin::BeginFlush();
    }
    HRESULT Active() override {
        const WAVEFORMATEX* format = WaveFormatOf(CurrentMediaType());
        std::string error;
        if (!renderer_->m_output.Open(static_cast<int>(format->nSamplesPerSec), format->nChannels,
                                      format->wBitsPerSample, error)) {
            TRACE("Audio Renderer: %s", error.c_str());
            return E_FAIL;
        }
        return CTimedRendererPin::Active();
    }
    HRESULT Inactive() override {
        renderer_->m_output.Close();
        return CTimedRendererPin::Inactive();
    }

private:
    CAudioRenderer* renderer_;
};

class CAudioRenderer::Volume final : public CNestedInterface<IBasicAudio> {
public:
    explicit Volume(CAudioRenderer& renderer) : CNestedInterface(renderer), r_(renderer) {}
    HRESULT put_Volume(LONG volume) override {
        if (volume < -10000 || volume > 0) return E_INVALIDARG;
        r_.m_volume = volume;
        return S_OK;
    }
    HRESULT get_Volume(LONG* volume) override {
        if (volume == nullptr) return E_POINTER;
        *volume = r_.m_volume;
        return S_OK;
    }
    HRESULT put_Balance(LONG balance) override {
        if (balance < -10000 || balance > 10000) return E_INVALIDARG;
        r_.m_balance = balance;
        return S_OK;
    }
    HRESULT get_Balance(LONG* balance) override {
        if (balance == nullptr) return E_POINTER;
        *balance = r_.m_balance;
        return S_OK;
    }

private:
    CAudioRenderer& r_;
};

CUnknown* CAudioRenderer::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    return NewComObject<CAudioRenderer>(result, outer);
}

CAudioRenderer::CAudioRenderer(LPUNKNOWN outer)
    : CTimedRenderer(L"Audio Renderer", outer, CLSID_MovantaAudioRenderer),
      m_volumeInterface(std::make_unique<Volume>(*this)) {
    HRESULT hr = S_OK;
    m_pin = new InputPin(this, &hr);
    // The clock is aggregated: its interface answers for this filter.
    m_clock = static_cast<CSteeredClock*>(CSteeredClock::CreateInstance(GetOwner(), &hr));
    if (m_clock != nullptr) m_clock->NonDelegatingAddRef();
}

CAudioRenderer::~CAudioRenderer() {
    delete m_pin;
    if (m_clock != nullptr) m_clock->NonDelegatingRelease();
}

HRESULT CAudioRenderer::NonDelegatingQueryInterface(REFIID iid, void** object) {
    if (iid == IID_IBasicAudio) return GetInterface(static_cast<IBasicAudio*>(m_volumeInterface.get()), object);
    if (iid == IID_IReferenceClock && m_clock != nullptr) return m_clock->NonDelegatingQueryInterface(iid, object);
    return CTimedRenderer::NonDelegatingQueryInterface(iid, object);
}

CBasePin* CAudioRenderer::GetPin(int index) {
    return index == 0 ? m_pin : nullptr;
}

HRESULT CAudioRenderer::Stop() {
    m_output.Clear();
    return CTimedRenderer::Stop();
}

HRESULT CAudioRenderer::Pause() {
    const HRESULT hr = CTimedRenderer::Pause();
    m_output.Play(false);
    return hr;
}

HRESULT CAudioRenderer::Run(REFERENCE_TIME start) {
    const HRESULT hr = CTimedRenderer::Run(start);
    m_output.Play(true);
    return hr;
}

void CAudioRenderer::Scale(const std::uint8_t* pcm, long bytes, std::vector<std::uint8_t>& out) {
    const WAVEFORMATEX* format = WaveFormatOf(m_pin->CurrentMediaType());
    const double gain = Gain(m_volume);
    const LONG balance = m_balance;
    const double left = gain * (balance > 0 ? Gain(-balance) : 1.0);
    const double right = gain * (balance < 0 ? Gain(balance) : 1.0);
    out.assign(pcm, pcm + bytes);
    if (left == 1.0 && right == 1.0) return;
    const bool stereo = format->nChannels == 2;
    if (format->wBitsPerSample == 16) {
        auto* samples = reinterpret_cast<std::int16_t*>(out.data());
        for (long i = 0; i < bytes / 2; ++i) {
            const double g = stereo && i % 2 == 1 ? right : left;
            samples[i] = static_cast<std::int16_t>(std::lround(samples[i] * g));
        }
    } else {
        for (long i = 0; i < bytes; ++i) {
            const double g = stereo && i % 2 == 1 ? right : left;
            out[i] = static_cast<std::uint8_t>(128 + std::lround((out[i] - 128) * g));
        }
    }
}

HRESULT CAudioRenderer::Render(IMediaSample* sample) {
    if (sample->IsPreroll() == S_OK) return S_OK;
    // Paused: the sound waits until the graph runs, stops or flushes.
    if (!WaitWhilePaused()) return S_FALSE;
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    REFERENCE_TIME now = 0;
    const bool timed = SUCCEEDED(sample->GetTime(&start, &stop)) && StreamTime(now);
    if (timed) {
        if (now > stop + kTooLate) return S_OK;  // long past: dropped
        if (!WaitUntil(start, kLead)) return S_FALSE;
    }
    BYTE* data = nullptr;
    if (FAILED(sample->GetPointer(&data))) return S_OK;
    Scale(data, sample->GetActualDataLength(), m_scaled);
    if (!m_output.Queue(m_scaled.data(), static_cast<std::uint32_t>(m_scaled.size()))) return S_OK;
    const WAVEFORMATEX* format = WaveFormatOf(m_pin->CurrentMediaType());
    m_framesQueued += static_cast<long long>(m_scaled.size()) / format->nBlockAlign;
    if (timed) Follow(start + static_cast<REFERENCE_TIME>(m_scaled.size()) * UNITS / format->nAvgBytesPerSec);
    return S_OK;
}

void CAudioRenderer::Follow(REFERENCE_TIME queuedEnd) {
    REFERENCE_TIME now = 0;
    if (m_clock == nullptr || !StreamTime(now)) return;
    const WAVEFORMATEX* format = WaveFormatOf(m_pin->CurrentMediaType());
    // What waits in the queue, and on average half of what the device took
    // last, is still to be heard.
    const REFERENCE_TIME waiting = static_cast<REFERENCE_TIME>(m_output.Queued()) * UNITS / format->nAvgBytesPerSec +
                                   static_cast<REFERENCE_TIME>(m_output.DeviceFrames()) * UNITS /
                                       (2 * static_cast<REFERENCE_TIME>(format->nSamplesPerSec));
    m_clock->Steer(queuedEnd - waiting - now);
}

void CAudioRenderer::Drain() {
    const WAVEFORMATEX* format = WaveFormatOf(m_pin->CurrentMediaType());
    const double bytesPerMs = format->nAvgBytesPerSec / 1000.0;
    // Bounded by what is queued, with a second to spare.
    const auto limit = static_cast<int>(m_output.Queued() / std::max(bytesPerMs, 1.0)) + 1000;
    for (int waited = 0; waited < limit && m_output.Queued() > 0; waited += 10) {
        if (m_wake.Wait(10)) return;
    }
}

}  // namespace movanta::dshow
