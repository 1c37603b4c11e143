// The audio decoder of the platform: any compressed audio libavcodec
// decodes, out as 16-bit PCM at the stream's rate and channel count.
// Audio before time 0 (the run-up to a seek target) is dropped.
#pragma once

#include <vector>

#include "dshow/platform_filters.h"
#include "decoder_filter.h"

struct AVFrame;
struct SwrContext;

namespace movanta::dshow {

class CAvAudioDecoder final : public CAvDecoderFilter {
public:
    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);
    explicit CAvAudioDecoder(LPUNKNOWN outer);
    ~CAvAudioDecoder() override;

    HRESULT CheckInputType(const CMediaType* in) override;
    HRESULT CheckTransform(const CMediaType* in, const CMediaType* out) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT GetMediaType(int position, CMediaType* type) override;
    HRESULT StartStreaming() override;
    HRESULT StopStreaming() override;

private:
    HRESULT DeliverFrames() override;
    void OnFlush() override;
    // Delivers `pcm` from `start`, after silence for any hole before it.
    HRESULT DeliverDecoded(const std::uint8_t* pcm, long bytes, REFERENCE_TIME start);

    AVFrame* m_frame = nullptr;
    SwrContext* m_resampler = nullptr;
    std::vector<std::uint8_t> m_pcm;
    std::vector<std::uint8_t> m_silence;
    bool m_delivered = false;  // audio went out since the start or the last flush
    int m_rate = 0;
    int m_channels = 0;
    REFERENCE_TIME m_next = 0;  // where audio without a time of its own goes
};

}  // namespace movanta::dshow
