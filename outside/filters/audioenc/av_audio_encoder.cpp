#include "av_audio_encoder.h"

#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
}

#include "win/debug.h"

namespace movanta::outside {
namespace {

// The first of the sample formats this class fills that the coder takes.
AVSampleFormat ChooseFormat(const AVCodec& codec) {
    if (codec.sample_fmts == nullptr) return AV_SAMPLE_FMT_NONE;
    for (const AVSampleFormat* format = codec.sample_fmts; *format != AV_SAMPLE_FMT_NONE; ++format) {
        if (*format == AV_SAMPLE_FMT_FLTP || *format == AV_SAMPLE_FMT_S16P) return *format;
    }
    return AV_SAMPLE_FMT_NONE;
}

}  // namespace

CAvAudioEncoder::~CAvAudioEncoder() {
    Close();
}

void CAvAudioEncoder::Close() {
    avcodec_free_context(&m_context);
    av_frame_free(&m_frame);
    av_packet_free(&m_packet);
    m_filled = 0;
}

bool CAvAudioEncoder::Open(const char* name, int channels, int samplesPerSecond, int bitsPerSample,
                           const Configure& configure) {
    Close();
    if (channels < 1 || channels > 2 || samplesPerSecond <= 0 || (bitsPerSample != 8 && bitsPerSample != 16)) {
        return false;
    }
    av_log_set_level(AV_LOG_ERROR);
    const AVCodec* codec = avcodec_find_encoder_by_name(name);
    const AVSampleFormat format = codec == nullptr ? AV_SAMPLE_FMT_NONE : ChooseFormat(*codec);
    if (format == AV_SAMPLE_FMT_NONE) {
        TRACE("audio encoder %s is not in this libavcodec", name);
        return false;
    }
    m_context = avcodec_alloc_context3(codec);
    m_frame = av_frame_alloc();
    m_packet = av_packet_alloc();
    if (m_context == nullptr || m_frame == nullptr || m_packet == nullptr) {
        Close();
        return false;
    }
    m_channels = channels;
    m_bytesPerSample = bitsPerSample / 8;
    m_planarFloat = format == AV_SAMPLE_FMT_FLTP;
    m_context->sample_fmt = format;
    m_context->sample_rate = samplesPerSecond;
    av_channel_layout_default(&m_context->ch_layout, channels);
    m_context->time_base = {1, samplesPerSecond};
    if (configure) configure(*m_context);
    if (avcodec_open2(m_context, codec, nullptr) < 0) {
        TRACE("audio encoder %s refuses %d channels at %d Hz", name, channels, samplesPerSecond);
        Close();
        return false;
    }
    m_frame->format = format;
    m_frame->sample_rate = samplesPerSecond;
    m_frame->nb_samples = FrameSamples();
    if (av_channel_layout_copy(&m_frame->ch_layout, &m_context->ch_layout) < 0 || av_frame_get_buffer(m_frame, 0) < 0) {
        Close();
        return false;
    }
    m_next = 0;
    m_framesCoded = 0;
    return true;
}

int CAvAudioEncoder::FrameSamples() const {
    if (m_context == nullptr) return 0;
    return m_context->frame_size > 0 ? m_context->frame_size : 1024;
}

std::int64_t CAvAudioEncoder::BitRate() const {
    return m_context == nullptr ? 0 : m_context->bit_rate;
}

void CAvAudioEncoder::Store(const std::uint8_t* pcm, int samples) {
    for (int channel = 0; channel < m_channels; ++channel) {
        const std::uint8_t* in = pcm + channel * m_bytesPerSample;
        const int step = m_channels * m_bytesPerSample;
        if (m_planarFloat) {
            float* out = reinterpret_cast<float*>(m_frame->data[channel]) + m_filled;
            if (m_bytesPerSample == 2) {
                for (int i = 0; i < samples; ++i, in += step) {
                    out[i] = static_cast<float>(static_cast<std::int16_t>(in[0] | (in[1] << 8))) * (1.0f / 32768.0f);
                }
            } else {
                for (int i = 0; i < samples; ++i, in += step) out[i] = static_cast<float>(*in - 128) * (1.0f / 128.0f);
            }
        } else {
            std::int16_t* out = reinterpret_cast<std::int16_t*>(m_frame->data[channel]) + m_filled;
            if (m_bytesPerSample == 2) {
                for (int i = 0; i < samples; ++i, in += step) out[i] = static_cast<std::int16_t>(in[0] | (in[1] << 8));
            } else {
                for (int i = 0; i < samples; ++i, in += step) out[i] = static_cast<std::int16_t>((*in - 128) * 256);
            }
        }
    }
    m_filled += samples;
}

bool CAvAudioEncoder::Encode(const std::uint8_t* pcm, long bytes, const PacketSink& sink) {
    if (m_context == nullptr) return false;
    const int frameBytes = m_channels * m_bytesPerSample;
    long samples = bytes / frameBytes;
    const int frameSamples = FrameSamples();
    while (samples > 0) {
        if (m_filled == 0 && av_frame_make_writable(m_frame) < 0) return false;
        const int count = static_cast<int>(std::min<long>(samples, frameSamples - m_filled));
        Store(pcm, count);
        pcm += static_cast<long>(count) * frameBytes;
        samples -= count;
        if (m_filled == frameSamples && !SendFrame(sink)) return false;
    }
    return true;
}

bool CAvAudioEncoder::SendFrame(const PacketSink& sink) {
    m_frame->pts = m_next;
    m_next += m_frame->nb_samples;
    m_filled = 0;
    if (avcodec_send_frame(m_context, m_frame) < 0) return false;
    return Drain(sink);
}

bool CAvAudioEncoder::Drain(const PacketSink& sink) {
    for (;;) {
        const int received = avcodec_receive_packet(m_context, m_packet);
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return true;
        if (received < 0) return false;
        ++m_framesCoded;
        const bool taken = sink(m_packet->data, m_packet->size);
        av_packet_unref(m_packet);
        if (!taken) return false;
    }
}

bool CAvAudioEncoder::Flush(const PacketSink& sink) {
    if (m_context == nullptr) return false;
    if (m_filled > 0) {
        // The last frame may be short where the coder allows it; otherwise
        // silence fills it.
        if ((m_context->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME) != 0) {
            m_frame->nb_samples = m_filled;
        } else {
            const int frameSamples = FrameSamples();
            const int size = m_planarFloat ? 4 : 2;
            for (int channel = 0; channel < m_channels; ++channel) {
                std::fill_n(m_frame->data[channel] + static_cast<long>(m_filled) * size,
                            static_cast<long>(frameSamples - m_filled) * size, std::uint8_t {0});
            }
        }
        if (!SendFrame(sink)) return false;
    }
    if (avcodec_send_frame(m_context, nullptr) < 0) return false;
    return Drain(sink);
}

}  // namespace movanta::outside
