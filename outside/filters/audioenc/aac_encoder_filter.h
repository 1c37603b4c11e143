// "AAC Encoder": PCM in, AAC low-complexity frames out in ADTS framing,
// through libavcodec's AAC encoder, at a bit rate set a channel and with a
// cut-off frequency.
#pragma once

#include <atomic>

#include "audio_encoder_filter.h"
#include "outside/filters/effect_interfaces.h"
#include "outside/filters/encoder_interfaces.h"

namespace movanta::outside {

class CAacEncoder final : public CAudioEncoderFilter {
public:
    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);
    explicit CAacEncoder(LPUNKNOWN outer);

    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;

    static constexpr LONG kDefaultChannelBitrate = 64000;

private:
    class Settings final : public CNestedInterface<IAacEncoder> {
    public:
        explicit Settings(CAacEncoder& filter) : CNestedInterface(filter), f_(filter) {}
        HRESULT GetMpegVersion(LONG* version) override;
        HRESULT SetMpegVersion(LONG version) override;
        HRESULT GetObjectType(LONG* objectType) override;
        HRESULT SetObjectType(LONG objectType) override;
        HRESULT GetInputFormat(LONG* channels, LONG* samplesPerSecond, LONG* bitsPerSample) override;
        HRESULT GetFrameCount(LONGLONG* frames) override;
        HRESULT GetNoiseShaping(BOOL* enabled) override;
        HRESULT SetNoiseShaping(BOOL enabled) override;
        HRESULT GetTotalBitrate(LONG* bitsPerSecond) override;
        HRESULT GetCutoff(LONG* hertz) override;
        HRESULT GetChannelBitrate(LONG* bitsPerSecond) override;
        HRESULT SetCutoff(LONG hertz) override;
        HRESULT GetOutputHeader(BOOL* adts) override;
        HRESULT SetChannelBitrate(LONG bitsPerSecond) override;

    private:
        CAacEncoder& f_;
    };

    bool AcceptsFormat(const WAVEFORMATEX& format) const override;
    CodedFormat Coded(const WAVEFORMATEX& input) const override;
    bool OpenEncoder(CAvAudioEncoder& encoder, const WAVEFORMATEX& input) override;
    long MaxFrameBytes(const WAVEFORMATEX& input) const override;
    long FrameSamples() const override { return 1024; }
    long WriteFrame(const std::uint8_t* packet, int size, std::uint8_t* out, long capacity) override;

    std::atomic<LONG> m_mpegVersion {0};
    std::atomic<LONG> m_channelBitrate {kDefaultChannelBitrate};
    std::atomic<LONG> m_cutoff {0};
    std::atomic<bool> m_noiseShaping {false};
    // Fixed while streaming.
    int m_rateIndex = 0;
    int m_channels = 0;
    bool m_mpeg2 = false;
    Settings m_settings {*this};
};

}  // namespace movanta::outside
