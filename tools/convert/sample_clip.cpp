#include "sample_clip.h"

#include <cmath>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

namespace movanta::convert {
namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kFrameRate = 25;
constexpr int kSampleRate = 44100;

struct CodecContextFree {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFree {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
using CodecContext = std::unique_ptr<AVCodecContext, CodecContextFree>;
using Frame = std::unique_ptr<AVFrame, FrameFree>;
using Packet = std::unique_ptr<AVPacket, PacketFree>;

// One encoder feeding one stream of the file.
struct Track {
    CodecContext context;
    AVStream* stream = nullptr;
    Frame frame;
};

bool OpenTrack(AVFormatContext* format, const char* encoder, Track& track, const auto& configure) {
    const AVCodec* codec = avcodec_find_encoder_by_name(encoder);
    if (codec == nullptr) return false;
    track.context.reset(avcodec_alloc_context3(codec));
    track.stream = avformat_new_stream(format, nullptr);
    track.frame.reset(av_frame_alloc());
    if (!track.context || track.stream == nullptr || !track.frame) return false;
    configure(*track.context, *track.frame);
    if ((format->oformat->flags & AVFMT_GLOBALHEADER) != 0) track.context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(track.context.get(), codec, nullptr) < 0) return false;
    track.stream->time_base = track.context->time_base;
    if (track.context->codec_type == AVMEDIA_TYPE_AUDIO) track.frame->nb_samples = track.context->frame_size;
    return avcodec_parameters_from_context(track.stream->codecpar, track.context.get()) >= 0 &&
           av_frame_get_buffer(track.frame.get(), 0) >= 0;
}

// Sends a frame (null: the end) and writes every packet that comes out.
bool Send(AVFormatContext* format, Track& track, AVFrame* frame, AVPacket* packet) {
    if (avcodec_send_frame(track.context.get(), frame) < 0) return false;
    for (;;) {
        const int received = avcodec_receive_packet(track.context.get(), packet);
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return true;
        if (received < 0) return false;
        av_packet_rescale_ts(packet, track.context->time_base, track.stream->time_base);
        packet->stream_index = track.stream->index;
        if (av_interleaved_write_frame(format, packet) < 0) return false;
    }
}

// Colour bars sliding to the left with a white square crossing them.
void DrawPicture(AVFrame& frame, int index) {
    static constexpr std::uint8_t kBars[8][3] = {{235, 128, 128}, {210, 16, 146}, {170, 166, 16}, {145, 54, 34},
                                                 {106, 202, 222}, {81, 90, 240},  {41, 240, 110}, {16, 128, 128}};
    av_frame_make_writable(&frame);
    const int shift = index * 4;
    const int box = (index * 6) % (kWidth + 40) - 40;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const bool inBox = x >= box && x < box + 40 && y >= 100 && y < 140;
            const auto& bar = kBars[((x + shift) * 8 / kWidth) % 8];
            frame.data[0][y * frame.linesize[0] + x] = inBox ? 235 : bar[0];
            if (x % 2 == 0 && y % 2 == 0) {
                frame.data[1][y / 2 * frame.linesize[1] + x / 2] = inBox ? 128 : bar[1];
                frame.data[2][y / 2 * frame.linesize[2] + x / 2] = inBox ? 128 : bar[2];
            }
        }
    }
    frame.pts = index;
}

// A tone gliding between 300 and 900 Hz, the same on both channels.
void FillSound(AVFrame& frame, std::int64_t first, double& phase) {
    av_frame_make_writable(&frame);
    const bool planar = av_sample_fmt_is_planar(static_cast<AVSampleFormat>(frame.format)) != 0;
    for (int i = 0; i < frame.nb_samples; ++i) {
        const double t = static_cast<double>(first + i) / kSampleRate;
        phase += 2 * M_PI * (600 + 300 * std::sin(2 * M_PI * 0.25 * t)) / kSampleRate;
        const float value = static_cast<float>(0.4 * std::sin(phase));
        for (int c = 0; c < 2; ++c) {
            if (planar) {
                reinterpret_cast<float*>(frame.data[c])[i] = value;
            } else {
                reinterpret_cast<float*>(frame.data[0])[2 * i + c] = value;
            }
        }
    }
    frame.pts = first;
}

bool WriteClip(AVFormatContext* format, const std::string& path, int seconds) {
    Track video;
    Track audio;
    const bool opened = OpenTrack(format, "mpeg4", video,
                                  [](AVCodecContext& context, AVFrame& frame) {
                                      context.width = frame.width = kWidth;
                                      context.height = frame.height = kHeight;
                                      context.pix_fmt = AV_PIX_FMT_YUV420P;
                                      frame.format = AV_PIX_FMT_YUV420P;
                                      context.time_base = {1, kFrameRate};
                                      context.framerate = {kFrameRate, 1};
                                      context.bit_rate = 1500000;
                                      context.gop_size = kFrameRate * 2;
                                  }) &&
                        OpenTrack(format, "libmp3lame", audio, [](AVCodecContext& context, AVFrame& frame) {
                            context.sample_rate = frame.sample_rate = kSampleRate;
                            context.sample_fmt = AV_SAMPLE_FMT_FLTP;
                            frame.format = AV_SAMPLE_FMT_FLTP;
                            av_channel_layout_default(&context.ch_layout, 2);
                            av_channel_layout_default(&frame.ch_layout, 2);
                            context.time_base = {1, kSampleRate};
                            context.bit_rate = 128000;
                        });
    if (!opened) return false;
    if ((format->oformat->flags & AVFMT_NOFILE) == 0 && avio_open(&format->pb, path.c_str(), AVIO_FLAG_WRITE) < 0) {
        return false;
    }
    Packet packet(av_packet_alloc());
    if (!packet || avformat_write_header(format, nullptr) < 0) return false;
    std::int64_t samples = 0;
    double phase = 0;
    for (int index = 0; index < seconds * kFrameRate; ++index) {
        DrawPicture(*video.frame, index);
        if (!Send(format, video, video.frame.get(), packet.get())) return false;
        // Sound up to the end of this picture.
        while (samples * kFrameRate < static_cast<std::int64_t>(index + 1) * kSampleRate) {
            FillSound(*audio.frame, samples, phase);
            samples += audio.frame->nb_samples;
            if (!Send(format, audio, audio.frame.get(), packet.get())) return false;
        }
    }
    return Send(format, video, nullptr, packet.get()) && Send(format, audio, nullptr, packet.get()) &&
           av_write_trailer(format) >= 0;
}

}  // namespace

bool MakeSampleClip(const std::string& path, int seconds, std::string& error) {
    AVFormatContext* format = nullptr;
    if (avformat_alloc_output_context2(&format, nullptr, "avi", path.c_str()) < 0) {
        error = "libavformat cannot write AVI";
        return false;
    }
    const bool written = WriteClip(format, path, seconds);
    if (format->pb != nullptr) avio_closep(&format->pb);
    avformat_free_context(format);
    if (!written) error = "libavcodec's MPEG-4 or MP3 encoder failed, or " + path + " cannot be written";
    return written;
}

}  // namespace movanta::convert
