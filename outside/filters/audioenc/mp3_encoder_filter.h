// "MP3 Encoder": PCM in, MPEG audio layer III frames out through LAME (by
// way of libavcodec), at a bit rate set in kbit/s.
#pragma once

#include <atomic>

#include "audio_encoder_filter.h"
#include "outside/filters/effect_interfaces.h"
#include "outside/filters/encoder_interfaces.h"

namespace movanta::outside {

class CMp3Encoder final : public CAudioEncoderFilter {
public:
    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);
    explicit CMp3Encoder(LPUNKNOWN outer);

    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;

    static constexpr LONG kDefaultKilobits = 128;

private:
    class Settings final : public CNestedInterface<IMp3Encoder> {
    public:
        explicit Settings(CMp3Encoder& filter) : CNestedInterface(filter), f_(filter) {}
        HRESULT GetChannelMode(LONG* mode) override;
        HRESULT SetChannelMode(LONG mode) override;
        HRESULT GetBitrate(LONG* kilobitsPerSecond) override;
        HRESULT SetBitrate(LONG kilobitsPerSecond) override;

    private:
        CMp3Encoder& f_;
    };

    bool AcceptsFormat(const WAVEFORMATEX& format) const override;
    CodedFormat Coded(const WAVEFORMATEX& input) const override;
    bool OpenEncoder(CAvAudioEncoder& encoder, const WAVEFORMATEX& input) override;
    long MaxFrameBytes(const WAVEFORMATEX& input) const override;
    long FrameSamples() const override { return 1152; }

    std::atomic<LONG> m_kilobits {kDefaultKilobits};
    std::atomic<LONG> m_channelMode {0};
    Settings m_settings {*this};
};

}  // namespace movanta::outside
