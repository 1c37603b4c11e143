// Audio encoder filters on libavcodec: 8- or 16-bit PCM, mono or stereo,
// in; coded frames out. An output sample holds the frames its input sample
// completed, with the input's times; at the end of the stream what the
// coder still holds goes out in one last sample before the end is passed on.
#pragma once

#include "av_audio_encoder.h"
#include "dshow/transform.h"

namespace movanta::outside {

class CAudioEncoderFilter : public CTransformFilter {
public:
    HRESULT CheckInputType(const CMediaType* in) override;
    HRESULT CheckTransform(const CMediaType* in, const CMediaType* out) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT GetMediaType(int position, CMediaType* type) override;
    HRESULT StartStreaming() override;
    HRESULT StopStreaming() override;
    HRESULT Transform(IMediaSample* in, IMediaSample* out) override;
    HRESULT EndOfStream() override;

protected:
    CAudioEncoderFilter(LPCWSTR name, LPUNKNOWN outer, REFCLSID clsid);

    // The PCM the coder takes (the base has checked PCM, 1 or 2 channels,
    // 8 or 16 bits).
    virtual bool AcceptsFormat(const WAVEFORMATEX& format) const = 0;
    // What the output type says of the coded sound.
    struct CodedFormat {
        const GUID* subtype;
        WORD formatTag;
        DWORD bytesPerSecond;
    };
    virtual CodedFormat Coded(const WAVEFORMATEX& input) const = 0;
    virtual bool OpenEncoder(CAvAudioEncoder& encoder, const WAVEFORMATEX& input) = 0;
    // The most bytes one coded frame takes in the output, framing included.
    virtual long MaxFrameBytes(const WAVEFORMATEX& input) const = 0;
    // Samples a channel in a coded frame, for sizing buffers.
    virtual long FrameSamples() const = 0;
    // Writes one packet at `out` with its framing; the bytes written, or -1
    // when it does not fit in `capacity`.
    virtual long WriteFrame(const std::uint8_t* packet, int size, std::uint8_t* out, long capacity);

    // The connected input's format, or null.
    const WAVEFORMATEX* InputFormat();
    std::int64_t FramesCoded() const { return m_encoder.FramesCoded(); }

private:
    bool IsAcceptedInput(const CMediaType& type) const;
    // A sink writing packets into `out` from `written` on.
    CAvAudioEncoder::PacketSink SinkInto(std::uint8_t* out, long capacity, long& written);

    CAvAudioEncoder m_encoder;
    REFERENCE_TIME m_lastStop = 0;
    bool m_timed = false;
};

}  // namespace movanta::outside
