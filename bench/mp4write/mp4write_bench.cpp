// Writes the same samples (an hour of 25 fps H.263-sized pictures and AMR-NB
// frames, interleaved as the writer filter delivers them) into a .3gp file,
// either through our MP4 library or through libavformat's muxer.
//   mp4write_bench mp4file|libavformat OUTPUT [SECONDS]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

#include "mp4file.h"

namespace {

constexpr int kFps = 25;
constexpr int kPictureBytes = 2000;
constexpr int kAmrBytes = 32;

std::vector<std::uint8_t> Picture(int index) {
    std::vector<std::uint8_t> bytes(kPictureBytes, static_cast<std::uint8_t>(index));
    bytes[0] = 0x00;
    bytes[1] = 0x00;
    bytes[2] = 0x80;  // H.263 picture start code
    return bytes;
}

std::vector<std::uint8_t> AmrFrame(int index) {
    std::vector<std::uint8_t> bytes(kAmrBytes, static_cast<std::uint8_t>(index * 3));
    bytes[0] = 0x3C;
    return bytes;
}

int WithLibrary(const char* path, int seconds) {
    const char* const brands[] = {"3gp5", "3gp4"};
    MP4FileHandle file = MP4CreateEx(path, 1, 0, 1, 1, "3gp5", 1, brands, 2);
    if (file == MP4_INVALID_FILE_HANDLE) return 1;
    MP4SetTimeScale(file, 10000);
    const MP4TrackId video = MP4AddH263VideoTrack(file, 1000, 0, 176, 144, 10, 0, 0, 0);
    const MP4TrackId audio = MP4AddAmrAudioTrack(file, 8000, 0, 0, 1, false);
    for (int i = 0; i < seconds * kFps; ++i) {
        const auto picture = Picture(i);
        if (!MP4WriteSample(file, video, picture.data(), kPictureBytes, 40, 0, i % 10 == 0)) return 1;
        for (int f = 0; f < 2; ++f) {
            const auto frame = AmrFrame(i * 2 + f);
            if (!MP4WriteSample(file, audio, frame.data(), kAmrBytes)) return 1;
        }
    }
    MP4SetAmrModeSet(file, audio, 0x8100);
    return MP4Close(file) ? 0 : 1;
}

int WithLibavformat(const char* path, int seconds) {
    AVFormatContext* format = nullptr;
    if (avformat_alloc_output_context2(&format, nullptr, "3gp", path) < 0) return 1;
    AVStream* video = avformat_new_stream(format, nullptr);
    video->time_base = {1, 1000};
    video->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
    video->codecpar->codec_id = AV_CODEC_ID_H263;
    video->codecpar->width = 176;
    video->codecpar->height = 144;
    AVStream* audio = avformat_new_stream(format, nullptr);
    audio->time_base = {1, 8000};
    audio->codecpar->codec_type = AVMEDIA_TYPE_AUDIO;
    audio->codecpar->codec_id = AV_CODEC_ID_AMR_NB;
    audio->codecpar->sample_rate = 8000;
    av_channel_layout_default(&audio->codecpar->ch_layout, 1);
    if (avio_open(&format->pb, path, AVIO_FLAG_WRITE) < 0 || avformat_write_header(format, nullptr) < 0) return 1;
    AVPacket* packet = av_packet_alloc();
    auto write = [&](AVStream* stream, const std::vector<std::uint8_t>& bytes, int64_t pts, int64_t duration,
                     bool key) {
        av_new_packet(packet, static_cast<int>(bytes.size()));
        std::memcpy(packet->data, bytes.data(), bytes.size());
        packet->stream_index = stream->index;
        packet->pts = packet->dts = av_rescale_q(pts, {1, 8000}, stream->time_base);
        packet->duration = av_rescale_q(duration, {1, 8000}, stream->time_base);
        if (key) packet->flags |= AV_PKT_FLAG_KEY;
        const int result = av_write_frame(format, packet);
        av_packet_unref(packet);
        return result >= 0;
    };
    for (int i = 0; i < seconds * kFps; ++i) {
        if (!write(video, Picture(i), i * 320, 320, i % 10 == 0)) return 1;
        for (int f = 0; f < 2; ++f) {
            if (!write(audio, AmrFrame(i * 2 + f), (i * 2 + f) * 160, 160, true)) return 1;
        }
    }
    av_packet_free(&packet);
    const int trailer = av_write_trailer(format);
    avio_closep(&format->pb);
    avformat_free_context(format);
    return trailer < 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: mp4write_bench mp4file|libavformat OUTPUT [SECONDS]\n");
        return 2;
    }
    const int seconds = argc > 3 ? std::atoi(argv[3]) : 3600;
    if (std::strcmp(argv[1], "mp4file") == 0) return WithLibrary(argv[2], seconds);
    if (std::strcmp(argv[1], "libavformat") == 0) return WithLibavformat(argv[2], seconds);
    std::fprintf(stderr, "mp4write_bench: unknown writer %s\n", argv[1]);
    return 2;
}
