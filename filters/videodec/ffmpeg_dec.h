// libavcodec's H.263 decoder for one streaming run, fed from a bitstream
// buffer that grows to the largest sample met.
#pragma once

#include <cstdint>
#include <vector>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

namespace movanta::videodec {

class CFFMpegDec {
public:
    CFFMpegDec() = default;
    ~CFFMpegDec();
    CFFMpegDec(const CFFMpegDec&) = delete;
    CFFMpegDec& operator=(const CFFMpegDec&) = delete;

    // Opens the decoder with a bitstream buffer of width × height × 4 bytes.
    bool Open(int width, int height);
    void Close();
    bool IsOpen() const { return context_ != nullptr; }

    // Decodes one sample; the picture, or null while the decoder fills its
    // pipeline or the data cannot be decoded.
    const AVFrame* Decode(const std::uint8_t* data, long length);

private:
    AVCodecContext* context_ = nullptr;
    AVFrame* picture_ = nullptr;
    AVPacket* packet_ = nullptr;
    std::vector<std::uint8_t> bitstream_;
};

}  // namespace movanta::videodec
