#include "ffmpeg_dec.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "win/debug.h"

namespace movanta::videodec {

CFFMpegDec::~CFFMpegDec() {
    Close();
}

void CFFMpegDec::Close() {
    avcodec_free_context(&context_);
    av_frame_free(&picture_);
    av_packet_free(&packet_);
    bitstream_.clear();
    bitstream_.shrink_to_fit();
}

bool CFFMpegDec::Open(int width, int height) {
    Close();
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_H263);
    if (codec == nullptr) {
        TRACE("codec not found\n");
        return false;
    }
    context_ = avcodec_alloc_context3(codec);
    picture_ = av_frame_alloc();
    packet_ = av_packet_alloc();
    if (context_ == nullptr || picture_ == nullptr || packet_ == nullptr ||
        avcodec_open2(context_, codec, nullptr) < 0) {
        TRACE("could not open codec\n");
        Close();
        return false;
    }
    bitstream_.resize(static_cast<size_t>(std::max(width, 1)) * static_cast<size_t>(std::max(height, 1)) * 4 +
                      AV_INPUT_BUFFER_PADDING_SIZE);
    return true;
}

const AVFrame* CFFMpegDec::Decode(const std::uint8_t* data, long length) {
    if (context_ == nullptr || data == nullptr || length <= 0) return nullptr;
    // A sample longer than the buffer grows it instead of overrunning it.
    const size_t needed = static_cast<size_t>(length) + AV_INPUT_BUFFER_PADDING_SIZE;
    if (bitstream_.size() < needed) bitstream_.resize(needed);
    std::memcpy(bitstream_.data(), data, static_cast<size_t>(length));
    std::memset(bitstream_.data() + length, 0, AV_INPUT_BUFFER_PADDING_SIZE);
    packet_->data = bitstream_.data();
    packet_->size = static_cast<int>(length);
    av_frame_unref(picture_);
    if (avcodec_send_packet(context_, packet_) < 0) return nullptr;
    return avcodec_receive_frame(context_, picture_) == 0 ? picture_ : nullptr;
}

}  // namespace movanta::videodec
