#include "audio_decoder.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
}

#include "av_media_type.h"
#include "pcm_delivery.h"
#include "win/debug.h"

namespace movanta::dshow {
namespace {

constexpr long kMinBuffer = 16384;
constexpr REFERENCE_TIME kGapTolerance = 10000;  // 1 ms
constexpr REFERENCE_TIME kMaxGap = 100000000;    // 10 s

}  // namespace

CUnknown* CAvAudioDecoder::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    return NewComObject<CAvAudioDecoder>(result, outer);
}

CAvAudioDecoder::CAvAudioDecoder(LPUNKNOWN outer)
    : CAvDecoderFilter(L"Audio Decoder (libavcodec)", outer, CLSID_MovantaAudioDecoder), m_frame(av_frame_alloc()) {}

CAvAudioDecoder::~CAvAudioDecoder() {
    swr_free(&m_resampler);
    av_frame_free(&m_frame);
}

HRESULT CAvAudioDecoder::CheckInputType(const CMediaType* in) {
    if (in == nullptr) return E_POINTER;
    if (in->majortype != MEDIATYPE_Audio || WaveFormatOf(*in) == nullptr) return VFW_E_TYPE_NOT_ACCEPTED;
    return IsDecodableCompressedType(*in) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CAvAudioDecoder::CheckTransform(const CMediaType* in, const CMediaType* out) {
    if (in == nullptr || out == nullptr) return E_POINTER;
    if (FAILED(CheckInputType(in))) return VFW_E_TYPE_NOT_ACCEPTED;
    const WAVEFORMATEX* input = WaveFormatOf(*in);
    const WAVEFORMATEX* output = WaveFormatOf(*out);
    const bool pcm = out->majortype == MEDIATYPE_Audio && out->subtype == MEDIASUBTYPE_PCM && output != nullptr &&
                     output->wFormatTag == WAVE_FORMAT_PCM && output->wBitsPerSample == 16;
    return pcm && output->nSamplesPerSec == input->nSamplesPerSec &&
                   output->nChannels == std::min<WORD>(input->nChannels, 2)
               ? S_OK
               : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CAvAudioDecoder::GetMediaType(int position, CMediaType* type) {
    if (!InputPin()->IsConnected()) return E_UNEXPECTED;
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    if (type == nullptr) return E_POINTER;
    const WAVEFORMATEX* input = WaveFormatOf(InputPin()->CurrentMediaType());
    if (input == nullptr) return E_UNEXPECTED;
    auto* format = reinterpret_cast<WAVEFORMATEX*>(type->AllocFormatBuffer(sizeof(WAVEFORMATEX)));
    if (format == nullptr) return E_OUTOFMEMORY;
    *format = WAVEFORMATEX {};
    format->wFormatTag = WAVE_FORMAT_PCM;
    format->nChannels = std::min<WORD>(input->nChannels, 2);  // more than stereo is mixed down
    format->nSamplesPerSec = input->nSamplesPerSec;
    format->wBitsPerSample = 16;
    format->nBlockAlign = static_cast<WORD>(format->nChannels * 2);
    format->nAvgBytesPerSec = format->nSamplesPerSec * format->nBlockAlign;
    type->SetType(&MEDIATYPE_Audio);
    type->SetSubtype(&MEDIASUBTYPE_PCM);
    type->SetFormatType(&FORMAT_WaveFormatEx);
    type->SetSampleSize(format->nBlockAlign);
    return S_OK;
}

HRESULT CAvAudioDecoder::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    if (allocator == nullptr || request == nullptr) return E_POINTER;
    const WAVEFORMATEX* output = WaveFormatOf(OutputPin()->CurrentMediaType());
    if (!InputPin()->IsConnected() || output == nullptr) return E_UNEXPECTED;
    const long quarterSecond =
        static_cast<long>(output->nAvgBytesPerSec / 4 / output->nBlockAlign * output->nBlockAlign);
    const long size = std::max(kMinBuffer, quarterSecond);
    return RequestAtLeast(allocator, request, 4, static_cast<LONG>(size));
}

HRESULT CAvAudioDecoder::StartStreaming() {
    const WAVEFORMATEX* output = WaveFormatOf(OutputPin()->CurrentMediaType());
    if (output == nullptr) return E_UNEXPECTED;
    m_rate = static_cast<int>(output->nSamplesPerSec);
    m_channels = output->nChannels;
    m_next = 0;
    m_delivered = false;
    if (!m_decoder.Open(InputPin()->CurrentMediaType(), 1)) {
        TRACE("Audio Decoder: libavcodec cannot open this stream");
        return VFW_E_UNSUPPORTED_STREAM;
    }
    return S_OK;
}

HRESULT CAvAudioDecoder::StopStreaming() {
    m_decoder.Close();
    swr_free(&m_resampler);
    return S_OK;
}

HRESULT CAvAudioDecoder::DeliverFrames() {
    while (m_decoder.Receive(m_frame)) {
        if (m_resampler == nullptr) {
            AVChannelLayout layout {};
            av_channel_layout_default(&layout, m_channels);
            const int made =
                swr_alloc_set_opts2(&m_resampler, &layout, AV_SAMPLE_FMT_S16, m_rate, &m_frame->ch_layout,
                                    static_cast<AVSampleFormat>(m_frame->format), m_frame->sample_rate, 0, nullptr);
            if (made < 0 || swr_init(m_resampler) < 0) {
                swr_free(&m_resampler);
                av_frame_unref(m_frame);
                return VFW_E_UNSUPPORTED_STREAM;
            }
        }
        const int room = swr_get_out_samples(m_resampler, m_frame->nb_samples);
        m_pcm.resize(static_cast<size_t>(std::max(room, 0)) * m_channels * 2);
        std::uint8_t* out[1] = {m_pcm.data()};
        const int samples = swr_convert(m_resampler, out, room,
                                        const_cast<const std::uint8_t**>(m_frame->extended_data), m_frame->nb_samples);
        const std::int64_t pts = m_frame->best_effort_timestamp;
        av_frame_unref(m_frame);
        if (samples <= 0) continue;
        const REFERENCE_TIME start = pts != AV_NOPTS_VALUE ? pts : m_next;
        const HRESULT hr = DeliverDecoded(m_pcm.data(), static_cast<long>(samples) * m_channels * 2, start);
        if (hr != S_OK) return hr;
    }
    return S_OK;
}

HRESULT CAvAudioDecoder::DeliverDecoded(const std::uint8_t* pcm, long bytes, REFERENCE_TIME start) {
    const int block = m_channels * 2;
    // Frames the codec could not decode (an AMR no-data frame, a damaged
    // packet) leave a hole in time; it is filled with silence so that the
    // sound keeps its length downstream. A jump of more than kMaxGap is a
    // new time line, not a hole.
    const REFERENCE_TIME gap = start - m_next;
    if (m_delivered && gap > kGapTolerance && gap <= kMaxGap) {
        const long silence = static_cast<long>(gap * m_rate / 10000000) * block;
        m_silence.assign(static_cast<size_t>(silence), 0);
        const HRESULT hr =
            DeliverPcm(*m_pOutput, m_pOutput->Allocator(), {m_rate, block}, m_silence.data(), silence, m_next);
        if (hr != S_OK) return hr;
    }
    const REFERENCE_TIME end = start + static_cast<REFERENCE_TIME>(bytes / block) * 10000000 / m_rate;
    m_next = end;
    if (end <= 0) return S_OK;  // before the seek target
    m_delivered = true;
    return DeliverPcm(*m_pOutput, m_pOutput->Allocator(), {m_rate, block}, pcm, bytes, start);
}

void CAvAudioDecoder::OnFlush() {
    swr_free(&m_resampler);
    m_delivered = false;
}

}  // namespace movanta::dshow
