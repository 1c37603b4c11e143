// H.263 encoding of the same moving frames, either the filter's way (frame
// placed in the standard picture, then CFFMpegEnc) or libavcodec called
// directly, and the real bit rate of a stream thinned to a given rate.
//   h263enc_bench filter|libavcodec WIDTH HEIGHT FRAMES
//   h263enc_bench bitrate REQUESTED FPS SECONDS ENCODER_FPS
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
}

#include "ffmpeg_enc.h"
#include "frame_layout.h"

namespace {

std::vector<std::uint8_t> Moving(int width, int height, int frame) {
    std::vector<std::uint8_t> picture(static_cast<size_t>(width) * height * 3 / 2);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture[y * width + x] = static_cast<std::uint8_t>(x * 2 + y + frame * 4 + ((x / 8 + y / 8 + frame) % 2) * 40);
        }
    }
    std::fill(picture.begin() + width * height, picture.end(), static_cast<std::uint8_t>(128 + frame % 32));
    return picture;
}

int Filter(int width, int height, int frames) {
    const auto layout = movanta::videoenc::FrameLayout::For(width, height);
    movanta::videoenc::CFFMpegEnc encoder;
    if (!encoder.Init(layout.width, layout.height, 256000, 25)) return 1;
    std::vector<std::uint8_t> frame(layout.FrameBytes());
    std::vector<std::uint8_t> out(movanta::videoenc::CFFMpegEnc::MaxCodedSize(layout.width, layout.height));
    size_t bytes = 0;
    for (int i = 0; i < frames; ++i) {
        const auto picture = Moving(width, height, i);
        movanta::videoenc::PlaceYv12(layout, picture.data(), frame.data());
        const int coded = encoder.Encode(frame.data(), out.data(), out.size());
        if (coded < 0) return 1;
        bytes += static_cast<size_t>(coded);
    }
    std::printf("%zu bytes\n", bytes);
    return 0;
}

int Direct(int width, int height, int frames) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_H263);
    AVCodecContext* context = avcodec_alloc_context3(codec);
    context->bit_rate = 256000;
    context->width = width;
    context->height = height;
    context->time_base = {1, 25};
    context->framerate = {25, 1};
    context->gop_size = 10;
    context->max_b_frames = 0;
    context->pix_fmt = AV_PIX_FMT_YUV420P;
    if (avcodec_open2(context, codec, nullptr) < 0) return 1;
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    size_t bytes = 0;
    for (int i = 0; i < frames; ++i) {
        auto picture = Moving(width, height, i);
        frame->format = AV_PIX_FMT_YUV420P;
        frame->width = width;
        frame->height = height;
        frame->data[0] = picture.data();
        frame->data[1] = picture.data() + width * height;
        frame->data[2] = frame->data[1] + width * height / 4;
        frame->linesize[0] = width;
        frame->linesize[1] = frame->linesize[2] = width / 2;
        frame->pts = i;
        avcodec_send_frame(context, frame);
        while (avcodec_receive_packet(context, packet) == 0) {
            bytes += static_cast<size_t>(packet->size);
            av_packet_unref(packet);
        }
    }
    std::printf("%zu bytes\n", bytes);
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&context);
    return 0;
}

// Real rate of `seconds` at `fps` frames a second, the encoder told `encoderFps`.
int Bitrate(int requested, int fps, int seconds, int encoderFps) {
    movanta::videoenc::CFFMpegEnc encoder;
    if (!encoder.Init(176, 144, requested, encoderFps)) return 1;
    std::vector<std::uint8_t> out(movanta::videoenc::CFFMpegEnc::MaxCodedSize(176, 144));
    size_t bytes = 0;
    for (int i = 0; i < fps * seconds; ++i) {
        const auto picture = Moving(176, 144, i);
        const int coded = encoder.Encode(picture.data(), out.data(), out.size());
        if (coded > 0) bytes += static_cast<size_t>(coded);
    }
    std::printf("requested %d bit/s, %d fps, encoder told %d fps: real %.0f bit/s\n", requested, fps, encoderFps,
                bytes * 8.0 / seconds);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    av_log_set_level(AV_LOG_ERROR);
    if (argc == 5 && std::strcmp(argv[1], "filter") == 0) return Filter(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc == 5 && std::strcmp(argv[1], "libavcodec") == 0) return Direct(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc == 6 && std::strcmp(argv[1], "bitrate") == 0) {
        return Bitrate(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
    }
    std::fprintf(stderr, "usage: h263enc_bench filter|libavcodec WIDTH HEIGHT FRAMES\n"
                         "       h263enc_bench bitrate REQUESTED FPS SECONDS ENCODER_FPS\n");
    return 2;
}
