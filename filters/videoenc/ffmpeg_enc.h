// libavcodec's H.263 encoder for one streaming run.
#pragma once

#include <cstddef>
#include <cstdint>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

namespace movanta::videoenc {

class CFFMpegEnc {
public:
    CFFMpegEnc() = default;
    ~CFFMpegEnc();
    CFFMpegEnc(const CFFMpegEnc&) = delete;
    CFFMpegEnc& operator=(const CFFMpegEnc&) = delete;

    // Opens the encoder for pictures of this size at `framesPerSecond`
    // (which its rate control spends the bit rate over); false on failure.
    bool Init(int width, int height, int bitRate, int framesPerSecond);
    void Close();
    bool IsOpen() const { return context_ != nullptr; }

    // Encodes one planar 4:2:0 frame (Y, Cb, Cr back to back) into `out`,
    // as an intra picture when `intra` (else as the encoder's group of
    // pictures has it). The coded size, or -1 when the encoder fails or the
    // picture does not fit `capacity`.
    int Encode(const std::uint8_t* frame, std::uint8_t* out, std::size_t capacity, bool intra = false);

    // The largest coded picture libavcodec can produce at this size.
    static std::size_t MaxCodedSize(int width, int height);

private:
    AVCodecContext* context_ = nullptr;
    AVFrame* picture_ = nullptr;
    AVPacket* packet_ = nullptr;
    std::int64_t next_ = 0;
};

}  // namespace movanta::videoenc
