#include "testing/media.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/display.h>
#include <libavutil/opt.h>
}

namespace movanta::testing {
namespace {

// libav's notes about the test media are not of interest here.
const bool kQuiet = [] {
    av_log_set_level(AV_LOG_ERROR);
    return true;
}();

std::vector<std::uint8_t> Bytes(const std::uint8_t* data, int size) {
    return size > 0 ? std::vector<std::uint8_t>(data, data + size) : std::vector<std::uint8_t>();
}

void Drain(AVCodecContext* context, AVPacket* packet, Encoded& out) {
    while (avcodec_receive_packet(context, packet) == 0) {
        out.units.push_back({Bytes(packet->data, packet->size), (packet->flags & AV_PKT_FLAG_KEY) != 0, packet->pts});
        av_packet_unref(packet);
    }
}

}  // namespace

Encoded EncodeVideo(const char* codecName, int frames, int width, int height, Pattern pattern, int bFrames) {
    const AVCodec* codec = avcodec_find_encoder_by_name(codecName);
    if (codec == nullptr) throw std::runtime_error(std::string("no encoder ") + codecName);
    AVCodecContext* context = avcodec_alloc_context3(codec);
    context->width = width;
    context->height = height;
    context->time_base = {1, 25};
    context->framerate = {25, 1};
    context->pix_fmt = AV_PIX_FMT_YUV420P;
    context->gop_size = 10;
    context->max_b_frames = bFrames;
    context->bit_rate = 200000;
    const std::string name = codecName;
    if (name == "mpeg4" || name == "libx264") context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    // Pictures of today's cameras (4K, 8K) encode in a moment this way.
    if (name == "libx264" && width * height > 1920 * 1080) av_opt_set(context->priv_data, "preset", "ultrafast", 0);
    if (avcodec_open2(context, codec, nullptr) < 0) throw std::runtime_error("cannot open the video encoder");
    Encoded out;
    out.config = Bytes(context->extradata, context->extradata_size);
    AVFrame* frame = av_frame_alloc();
    frame->format = context->pix_fmt;
    frame->width = context->width;
    frame->height = context->height;
    av_frame_get_buffer(frame, 0);
    AVPacket* packet = av_packet_alloc();
    for (int i = 0; i < frames; ++i) {
        av_frame_make_writable(frame);
        const bool marked = pattern == Pattern::kMarkedCorner;
        for (int y = 0; y < frame->height; ++y) {
            for (int x = 0; x < frame->width; ++x) {
                const bool corner = x < frame->width / 4 && y < frame->height / 4;
                frame->data[0][y * frame->linesize[0] + x] =
                    marked ? uint8_t(corner ? 235 : 16) : uint8_t(x + y + i * 3);
            }
        }
        for (int y = 0; y < frame->height / 2; ++y) {
            for (int x = 0; x < frame->width / 2; ++x) {
                frame->data[1][y * frame->linesize[1] + x] = marked ? 128 : uint8_t(128 + y + i);
                frame->data[2][y * frame->linesize[2] + x] = marked ? 128 : uint8_t(64 + x + i * 5);
            }
        }
        frame->pts = i;
        avcodec_send_frame(context, frame);
        Drain(context, packet, out);
    }
    avcodec_send_frame(context, nullptr);
    Drain(context, packet, out);
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&context);
    return out;
}

Encoded EncodeAudio(const char* codecName, int rate, int channels, int frames) {
    const AVCodec* codec = avcodec_find_encoder_by_name(codecName);
    if (codec == nullptr) throw std::runtime_error(std::string("no encoder ") + codecName);
    AVCodecContext* context = avcodec_alloc_context3(codec);
    context->sample_rate = rate;
    context->sample_fmt = codec->sample_fmts != nullptr ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    av_channel_layout_default(&context->ch_layout, channels);
    context->bit_rate = 96000;
    context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(context, codec, nullptr) < 0) throw std::runtime_error("cannot open the audio encoder");
    Encoded out;
    out.config = Bytes(context->extradata, context->extradata_size);
    out.blockAlign = context->block_align;
    out.bitRate = context->bit_rate;
    AVFrame* frame = av_frame_alloc();
    frame->format = context->sample_fmt;
    frame->nb_samples = context->frame_size > 0 ? context->frame_size : 1024;
    frame->sample_rate = context->sample_rate;
    av_channel_layout_copy(&frame->ch_layout, &context->ch_layout);
    av_frame_get_buffer(frame, 0);
    const bool planar = av_sample_fmt_is_planar(context->sample_fmt) != 0;
    const AVSampleFormat packed = av_get_packed_sample_fmt(context->sample_fmt);
    AVPacket* packet = av_packet_alloc();
    for (int i = 0; i < frames; ++i) {
        av_frame_make_writable(frame);
        for (int s = 0; s < frame->nb_samples; ++s) {
            const double value = 0.3 * std::sin(2 * M_PI * 440.0 * (i * frame->nb_samples + s) / rate);
            for (int c = 0; c < channels; ++c) {
                const int index = planar ? s : s * channels + c;
                std::uint8_t* plane = frame->data[planar ? c : 0];
                if (packed == AV_SAMPLE_FMT_FLT) {
                    reinterpret_cast<float*>(plane)[index] = static_cast<float>(value);
                } else if (packed == AV_SAMPLE_FMT_S32) {
                    reinterpret_cast<std::int32_t*>(plane)[index] = static_cast<std::int32_t>(value * 2147483647.0);
                } else if (packed == AV_SAMPLE_FMT_U8) {
                    plane[index] = static_cast<std::uint8_t>(128 + value * 127);
                } else {
                    reinterpret_cast<std::int16_t*>(plane)[index] = static_cast<std::int16_t>(value * 32767);
                }
            }
        }
        frame->pts = static_cast<int64_t>(i) * frame->nb_samples;
        avcodec_send_frame(context, frame);
        Drain(context, packet, out);
    }
    avcodec_send_frame(context, nullptr);
    Drain(context, packet, out);
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&context);
    return out;
}

Encoded EncodeAac(int frames) {
    return EncodeAudio("aac", 44100, 2, frames);
}

std::vector<Unit> AmrFrames(int frames) {
    std::vector<Unit> out;
    for (int i = 0; i < frames; ++i) {
        if (i % 10 == 9) {
            out.push_back({{0x7C}, true});  // frame type 15: no data
            continue;
        }
        Unit frame {{0x3C}, true};  // frame type 7 (12.2 kbit/s), quality bit set
        for (int b = 0; b < 31; ++b) frame.data.push_back(static_cast<uint8_t>(i * 7 + b));
        out.push_back(frame);
    }
    return out;
}

std::vector<StreamInfo> ReadBack(const std::string& path) {
    std::vector<StreamInfo> streams;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return streams;
    if (avformat_find_stream_info(format, nullptr) < 0) {
        avformat_close_input(&format);
        return streams;
    }
    std::vector<int> index(format->nb_streams, -1);
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream* stream = format->streams[i];
        const AVCodecParameters* parameters = stream->codecpar;
        if (parameters->codec_type != AVMEDIA_TYPE_VIDEO && parameters->codec_type != AVMEDIA_TYPE_AUDIO) continue;
        StreamInfo info;
        info.codec = avcodec_get_name(parameters->codec_id);
        info.width = parameters->width;
        info.height = parameters->height;
        info.sampleRate = parameters->sample_rate;
        info.channels = parameters->ch_layout.nb_channels;
        if (stream->start_time != AV_NOPTS_VALUE) info.startSeconds = stream->start_time * av_q2d(stream->time_base);
        if (stream->duration != AV_NOPTS_VALUE) info.seconds = stream->duration * av_q2d(stream->time_base);
        index[i] = static_cast<int>(streams.size());
        streams.push_back(info);
    }
    AVPacket* packet = av_packet_alloc();
    while (av_read_frame(format, packet) >= 0) {
        if (packet->stream_index >= 0 && static_cast<unsigned>(packet->stream_index) < index.size() &&
            index[packet->stream_index] >= 0) {
            streams[index[packet->stream_index]].packets.push_back(
                {Bytes(packet->data, packet->size), (packet->flags & AV_PKT_FLAG_KEY) != 0});
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    avformat_close_input(&format);
    return streams;
}

int DecodeErrors(const std::string& path) {
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return -1;
    int errors = 0;
    std::vector<AVCodecContext*> decoders(format->nb_streams, nullptr);
    if (avformat_find_stream_info(format, nullptr) >= 0) {
        for (unsigned i = 0; i < format->nb_streams; ++i) {
            const AVCodecParameters* parameters = format->streams[i]->codecpar;
            if (parameters->codec_type != AVMEDIA_TYPE_VIDEO && parameters->codec_type != AVMEDIA_TYPE_AUDIO) continue;
            const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
            decoders[i] = codec == nullptr ? nullptr : avcodec_alloc_context3(codec);
            if (decoders[i] == nullptr || avcodec_parameters_to_context(decoders[i], parameters) < 0 ||
                avcodec_open2(decoders[i], codec, nullptr) < 0) {
                ++errors;
                avcodec_free_context(&decoders[i]);
            }
        }
        AVPacket* packet = av_packet_alloc();
        AVFrame* frame = av_frame_alloc();
        auto drain = [&](AVCodecContext* decoder) {
            int received = 0;
            while ((received = avcodec_receive_frame(decoder, frame)) >= 0) {
                if ((frame->decode_error_flags != 0) || (frame->flags & AV_FRAME_FLAG_CORRUPT) != 0) ++errors;
                av_frame_unref(frame);
            }
            if (received != AVERROR(EAGAIN) && received != AVERROR_EOF) ++errors;
        };
        while (av_read_frame(format, packet) >= 0) {
            const unsigned stream = static_cast<unsigned>(packet->stream_index);
            if (stream < decoders.size() && decoders[stream] != nullptr) {
                if (avcodec_send_packet(decoders[stream], packet) < 0) ++errors;
                drain(decoders[stream]);
            }
            av_packet_unref(packet);
        }
        for (AVCodecContext* decoder : decoders) {
            if (decoder == nullptr) continue;
            avcodec_send_packet(decoder, nullptr);
            drain(decoder);
        }
        av_frame_free(&frame);
        av_packet_free(&packet);
    } else {
        errors = -1;
    }
    for (AVCodecContext*& decoder : decoders) avcodec_free_context(&decoder);
    avformat_close_input(&format);
    return errors;
}

std::vector<float> DecodeSound(const std::string& path, int* rate) {
    std::vector<float> sound;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return sound;
    const int index = avformat_find_stream_info(format, nullptr) < 0
                          ? -1
                          : av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    const AVCodec* codec = index < 0 ? nullptr : avcodec_find_decoder(format->streams[index]->codecpar->codec_id);
    AVCodecContext* context = codec == nullptr ? nullptr : avcodec_alloc_context3(codec);
    if (context != nullptr && avcodec_parameters_to_context(context, format->streams[index]->codecpar) >= 0 &&
        avcodec_open2(context, codec, nullptr) >= 0) {
        if (rate != nullptr) *rate = context->sample_rate;
        AVPacket* packet = av_packet_alloc();
        AVFrame* frame = av_frame_alloc();
        auto take = [&] {
            while (avcodec_receive_frame(context, frame) == 0) {
                const auto fmt = static_cast<AVSampleFormat>(frame->format);
                const int step = av_sample_fmt_is_planar(fmt) ? 1 : frame->ch_layout.nb_channels;
                for (int i = 0; i < frame->nb_samples; ++i) {
                    const int at = i * step;
                    switch (av_get_packed_sample_fmt(fmt)) {
                        case AV_SAMPLE_FMT_FLT:
                            sound.push_back(reinterpret_cast<const float*>(frame->data[0])[at]);
                            break;
                        case AV_SAMPLE_FMT_S16:
                            sound.push_back(reinterpret_cast<const std::int16_t*>(frame->data[0])[at] / 32768.0f);
                            break;
                        default: break;
                    }
                }
                av_frame_unref(frame);
            }
        };
        while (av_read_frame(format, packet) >= 0) {
            if (packet->stream_index == index && avcodec_send_packet(context, packet) >= 0) take();
            av_packet_unref(packet);
        }
        avcodec_send_packet(context, nullptr);
        take();
        av_frame_free(&frame);
        av_packet_free(&packet);
    }
    avcodec_free_context(&context);
    avformat_close_input(&format);
    return sound;
}

PictureDecoder::PictureDecoder(const char* codecName) {
    const AVCodec* codec = avcodec_find_decoder_by_name(codecName);
    if (codec == nullptr) throw std::runtime_error(std::string("no decoder ") + codecName);
    context_ = avcodec_alloc_context3(codec);
    packet_ = av_packet_alloc();
    frame_ = av_frame_alloc();
    if (avcodec_open2(context_, codec, nullptr) < 0) throw std::runtime_error(std::string("cannot open ") + codecName);
}

PictureDecoder::~PictureDecoder() {
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    avcodec_free_context(&context_);
}

PictureDecoder::Picture PictureDecoder::Decode(const std::vector<std::uint8_t>& packet) {
    Picture picture;
    if (av_new_packet(packet_, static_cast<int>(packet.size())) < 0) return picture;
    std::copy(packet.begin(), packet.end(), packet_->data);
    const int sent = avcodec_send_packet(context_, packet_);
    av_packet_unref(packet_);
    if (sent < 0 || avcodec_receive_frame(context_, frame_) < 0) return picture;
    picture = {frame_->width, frame_->height, frame_->decode_error_flags != 0, {}};
    picture.luma.resize(static_cast<size_t>(frame_->width) * frame_->height);
    for (int y = 0; y < frame_->height; ++y) {
        std::copy_n(frame_->data[0] + static_cast<long>(y) * frame_->linesize[0], frame_->width,
                    picture.luma.begin() + static_cast<long>(y) * frame_->width);
    }
    av_frame_unref(frame_);
    return picture;
}

bool MuxFile(const std::string& path, const char* format, const std::vector<MuxStream>& streams) {
    AVFormatContext* context = nullptr;
    if (avformat_alloc_output_context2(&context, nullptr, format, path.c_str()) < 0) return false;
    struct Pending {
        AVStream* stream;
        const MuxStream* plan;
        size_t next = 0;
    };
    std::vector<Pending> pending;
    for (const MuxStream& plan : streams) {
        const AVCodecDescriptor* descriptor = avcodec_descriptor_get_by_name(plan.codec.c_str());
        if (descriptor == nullptr) {
            avformat_free_context(context);
            return false;
        }
        AVStream* stream = avformat_new_stream(context, nullptr);
        AVCodecParameters* parameters = stream->codecpar;
        parameters->codec_id = descriptor->id;
        parameters->codec_type = descriptor->type;
        if (descriptor->type == AVMEDIA_TYPE_VIDEO) {
            parameters->width = plan.width;
            parameters->height = plan.height;
            if (plan.rotation != 0) {
                auto* matrix = reinterpret_cast<std::int32_t*>(
                    av_stream_new_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, 9 * sizeof(std::int32_t)));
                if (matrix == nullptr) {
                    avformat_free_context(context);
                    return false;
                }
                // The matrix is set by the clockwise turn (and read back as
                // the counter-clockwise one).
                av_display_rotation_set(matrix, plan.rotation);
            }
        } else {
            parameters->sample_rate = plan.sampleRate;
            av_channel_layout_default(&parameters->ch_layout, plan.channels);
            parameters->block_align = plan.data->blockAlign;
            parameters->bit_rate = plan.data->bitRate;
            if (const int bits = av_get_bits_per_sample(descriptor->id); bits > 0) {  // PCM
                parameters->bits_per_coded_sample = bits;
                parameters->block_align = bits / 8 * plan.channels;
            }
        }
        if (!plan.data->config.empty()) {
            parameters->extradata =
                static_cast<uint8_t*>(av_mallocz(plan.data->config.size() + AV_INPUT_BUFFER_PADDING_SIZE));
            std::copy(plan.data->config.begin(), plan.data->config.end(), parameters->extradata);
            parameters->extradata_size = static_cast<int>(plan.data->config.size());
        }
        stream->time_base = {1, 90000};
        pending.push_back({stream, &plan});
    }
    bool ok =
        avio_open(&context->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0 && avformat_write_header(context, nullptr) >= 0;
    // Interleave by time: always the stream whose next unit starts first.
    while (ok) {
        Pending* earliest = nullptr;
        for (Pending& p : pending) {
            if (p.next >= p.plan->data->units.size()) continue;
            if (earliest == nullptr || p.next * p.plan->unitSeconds < earliest->next * earliest->plan->unitSeconds) {
                earliest = &p;
            }
        }
        if (earliest == nullptr) break;
        const Unit& unit = earliest->plan->data->units[earliest->next];
        AVPacket* packet = av_packet_alloc();
        av_new_packet(packet, static_cast<int>(unit.data.size()));
        std::copy(unit.data.begin(), unit.data.end(), packet->data);
        const AVRational tb = earliest->stream->time_base;
        packet->stream_index = earliest->stream->index;
        packet->pts = packet->dts =
            static_cast<int64_t>(earliest->next * earliest->plan->unitSeconds * tb.den / tb.num + 0.5);
        packet->duration = static_cast<int64_t>(earliest->plan->unitSeconds * tb.den / tb.num + 0.5);
        if (unit.key) packet->flags |= AV_PKT_FLAG_KEY;
        ok = av_interleaved_write_frame(context, packet) >= 0;
        av_packet_free(&packet);
        ++earliest->next;
    }
    ok = ok && av_write_trailer(context) >= 0;
    avio_closep(&context->pb);
    avformat_free_context(context);
    return ok;
}

}  // namespace movanta::testing
