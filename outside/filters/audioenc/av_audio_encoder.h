// One libavcodec audio encoder for a streaming run: interleaved 8- or
// 16-bit PCM in, in pieces of any size; the coder's packets out to a sink
// as each frame of samples completes.
#pragma once

#include <cstdint>
#include <functional>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

namespace movanta::outside {

class CAvAudioEncoder {
public:
    // Takes each packet's bytes; false stops the run with a failure.
    using PacketSink = std::function<bool(const std::uint8_t* data, int size)>;
    // Sets the coder's own options before it opens (bit rate, cut-off...).
    using Configure = std::function<void(AVCodecContext& context)>;

    CAvAudioEncoder() = default;
    ~CAvAudioEncoder();
    CAvAudioEncoder(const CAvAudioEncoder&) = delete;
    CAvAudioEncoder& operator=(const CAvAudioEncoder&) = delete;

    // Opens libavcodec's encoder `name` for this PCM; false when the
    // encoder is missing or refuses the format.
    bool Open(const char* name, int channels, int samplesPerSecond, int bitsPerSample, const Configure& configure);
    void Close();
    bool IsOpen() const { return m_context != nullptr; }
    // Samples a channel in one coded frame.
    int FrameSamples() const;
    std::int64_t FramesCoded() const { return m_framesCoded; }
    // The bit rate the coder was opened with.
    std::int64_t BitRate() const;

    // Codes `bytes` of PCM (whole sample frames; a trailing part is kept
    // for the next call).
    bool Encode(const std::uint8_t* pcm, long bytes, const PacketSink& sink);
    // Codes what is left, padded as the coder needs, and drains it.
    bool Flush(const PacketSink& sink);

private:
    bool SendFrame(const PacketSink& sink);
    bool Drain(const PacketSink& sink);
    void Store(const std::uint8_t* pcm, int samples);

    AVCodecContext* m_context = nullptr;
    AVFrame* m_frame = nullptr;
    AVPacket* m_packet = nullptr;
    int m_channels = 0;
    int m_bytesPerSample = 2;
    int m_filled = 0;  // samples a channel waiting in m_frame
    bool m_planarFloat = true;
    std::int64_t m_next = 0;
    std::int64_t m_framesCoded = 0;
};

}  // namespace movanta::outside
