#include "ffmpeg_enc.h"

#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
}

#include "win/debug.h"

namespace movanta::videoenc {

CFFMpegEnc::~CFFMpegEnc() {
    Close();
}

void CFFMpegEnc::Close() {
    avcodec_free_context(&context_);
    av_frame_free(&picture_);
    av_packet_free(&packet_);
}

bool CFFMpegEnc::Init(int width, int height, int bitRate, int framesPerSecond) {
    Close();
    av_log_set_level(AV_LOG_ERROR);  // the encoder's notes about its choices are not the user's business
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_H263);
    if (codec == nullptr) {
        TRACE("codec not found\n");
        return false;
    }
    context_ = avcodec_alloc_context3(codec);
    picture_ = av_frame_alloc();
    packet_ = av_packet_alloc();
    if (context_ == nullptr || picture_ == nullptr || packet_ == nullptr) {
        Close();
        return false;
    }
    context_->bit_rate = bitRate;
    context_->width = width;
    context_->height = height;
    context_->time_base = {1, framesPerSecond};
    context_->framerate = {framesPerSecond, 1};
    context_->gop_size = 10;
    context_->max_b_frames = 0;
    context_->pix_fmt = AV_PIX_FMT_YUV420P;
    if (avcodec_open2(context_, codec, nullptr) < 0) {
        TRACE("could not open codec\n");
        Close();
        return false;
    }
    picture_->format = AV_PIX_FMT_YUV420P;
    picture_->width = width;
    picture_->height = height;
    next_ = 0;
    return true;
}

int CFFMpegEnc::Encode(const std::uint8_t* frame, std::uint8_t* out, std::size_t capacity, bool intra) {
    if (context_ == nullptr) return -1;
    const int width = context_->width;
    const int height = context_->height;
    picture_->data[0] = const_cast<std::uint8_t*>(frame);
    picture_->data[1] = picture_->data[0] + width * height;
    picture_->data[2] = picture_->data[1] + (width / 2) * (height / 2);
    picture_->linesize[0] = width;
    picture_->linesize[1] = width / 2;
    picture_->linesize[2] = width / 2;
    picture_->pts = next_++;
    picture_->pict_type = intra ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
    if (avcodec_send_frame(context_, picture_) < 0) return -1;
    const int received = avcodec_receive_packet(context_, packet_);
    if (received == AVERROR(EAGAIN)) return 0;
    if (received < 0) return -1;
    int size = -1;
    if (static_cast<std::size_t>(packet_->size) <= capacity) {
        std::memcpy(out, packet_->data, static_cast<std::size_t>(packet_->size));
        size = packet_->size;
    }
    av_packet_unref(packet_);
    return size;
}

std::size_t CFFMpegEnc::MaxCodedSize(int width, int height) {
    // libavcodec's own bound for one picture: at most 3000 bytes a
    // macroblock plus slack, and 10000 bytes of headers.
    const std::size_t macroblocks = static_cast<std::size_t>((width + 15) / 16) * ((height + 15) / 16);
    return macroblocks * (3000 + 100) + 10000;
}

}  // namespace movanta::videoenc
