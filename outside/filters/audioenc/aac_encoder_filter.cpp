#include "aac_encoder_filter.h"

#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/opt.h>
}

#include "adts_header.h"
#include "dshow/media_subtypes.h"

namespace movanta::outside {
namespace {

constexpr WORD kAacFormatTag = 0x00FF;
constexpr int kLowComplexity = 2;
constexpr long kMaxPayloadPerChannel = 768;  // 6144 bits: the AAC decoder buffer of one channel

}  // namespace

CUnknown* CAacEncoder::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    return NewComObject<CAacEncoder>(result, outer);
}

CAacEncoder::CAacEncoder(LPUNKNOWN outer) : CAudioEncoderFilter(L"AAC Encoder", outer, CLSID_AacEncoder) {}

HRESULT CAacEncoder::NonDelegatingQueryInterface(REFIID iid, void** object) {
    if (iid == IID_IAacEncoder) return GetInterface(static_cast<IAacEncoder*>(&m_settings), object);
    return CAudioEncoderFilter::NonDelegatingQueryInterface(iid, object);
}

bool CAacEncoder::AcceptsFormat(const WAVEFORMATEX& format) const {
    return AdtsRateIndex(static_cast<int>(format.nSamplesPerSec)) >= 0;
}

CAacEncoder::CodedFormat CAacEncoder::Coded(const WAVEFORMATEX& input) const {
    return {&MEDIASUBTYPE_AAC, kAacFormatTag, static_cast<DWORD>(m_channelBitrate.load() / 8 * input.nChannels)};
}

bool CAacEncoder::OpenEncoder(CAvAudioEncoder& encoder, const WAVEFORMATEX& input) {
    m_rateIndex = AdtsRateIndex(static_cast<int>(input.nSamplesPerSec));
    m_channels = input.nChannels;
    m_mpeg2 = m_mpegVersion.load() == 1;
    const long long bitrate = static_cast<long long>(m_channelBitrate.load()) * input.nChannels;
    const int cutoff = static_cast<int>(m_cutoff.load());
    const bool noiseShaping = m_noiseShaping.load();
    return encoder.Open("aac", input.nChannels, static_cast<int>(input.nSamplesPerSec), input.wBitsPerSample,
                        [&](AVCodecContext& context) {
                            context.bit_rate = bitrate;
                            context.profile = FF_PROFILE_AAC_LOW;
                            if (cutoff > 0) context.cutoff = cutoff;
                            av_opt_set_int(context.priv_data, "aac_tns", noiseShaping ? 1 : 0, 0);
                        });
}

long CAacEncoder::MaxFrameBytes(const WAVEFORMATEX& input) const {
    return kAdtsHeaderBytes + kMaxPayloadPerChannel * input.nChannels;
}

long CAacEncoder::WriteFrame(const std::uint8_t* packet, int size, std::uint8_t* out, long capacity) {
    if (capacity < kAdtsHeaderBytes + size) return -1;
    if (!WriteAdtsHeader(out, kLowComplexity, m_rateIndex, m_channels, size, m_mpeg2)) return -1;
    std::memcpy(out + kAdtsHeaderBytes, packet, static_cast<size_t>(size));
    return kAdtsHeaderBytes + size;
}

HRESULT CAacEncoder::Settings::GetMpegVersion(LONG* version) {
    if (version == nullptr) return E_POINTER;
    *version = f_.m_mpegVersion.load();
    return S_OK;
}

HRESULT CAacEncoder::Settings::SetMpegVersion(LONG version) {
    if (version != 0 && version != 1) return E_INVALIDARG;
    f_.m_mpegVersion = version;
    return S_OK;
}

HRESULT CAacEncoder::Settings::GetObjectType(LONG* objectType) {
    if (objectType == nullptr) return E_POINTER;
    *objectType = kLowComplexity;
    return S_OK;
}

HRESULT CAacEncoder::Settings::SetObjectType(LONG objectType) {
    return objectType == kLowComplexity ? S_OK : E_NOTIMPL;
}

HRESULT CAacEncoder::Settings::GetInputFormat(LONG* channels, LONG* samplesPerSecond, LONG* bitsPerSample) {
    if (channels == nullptr || samplesPerSecond == nullptr || bitsPerSample == nullptr) return E_POINTER;
    CAutoLock lock(&f_.m_csFilter);
    const WAVEFORMATEX* input = f_.InputFormat();
    if (input == nullptr) return S_FALSE;
    *channels = input->nChannels;
    *samplesPerSecond = static_cast<LONG>(input->nSamplesPerSec);
    *bitsPerSample = input->wBitsPerSample;
    return S_OK;
}

HRESULT CAacEncoder::Settings::GetFrameCount(LONGLONG* frames) {
    if (frames == nullptr) return E_POINTER;
    *frames = f_.FramesCoded();
    return S_OK;
}

HRESULT CAacEncoder::Settings::GetNoiseShaping(BOOL* enabled) {
    if (enabled == nullptr) return E_POINTER;
    *enabled = f_.m_noiseShaping.load() ? TRUE : FALSE;
    return S_OK;
}

HRESULT CAacEncoder::Settings::SetNoiseShaping(BOOL enabled) {
    f_.m_noiseShaping = enabled != FALSE;
    return S_OK;
}

HRESULT CAacEncoder::Settings::GetTotalBitrate(LONG* bitsPerSecond) {
    if (bitsPerSecond == nullptr) return E_POINTER;
    CAutoLock lock(&f_.m_csFilter);
    const WAVEFORMATEX* input = f_.InputFormat();
    *bitsPerSecond = f_.m_channelBitrate.load() * (input == nullptr ? 1 : input->nChannels);
    return S_OK;
}

HRESULT CAacEncoder::Settings::GetCutoff(LONG* hertz) {
    if (hertz == nullptr) return E_POINTER;
    *hertz = f_.m_cutoff.load();
    return S_OK;
}

HRESULT CAacEncoder::Settings::GetChannelBitrate(LONG* bitsPerSecond) {
    if (bitsPerSecond == nullptr) return E_POINTER;
    *bitsPerSecond = f_.m_channelBitrate.load();
    return S_OK;
}

HRESULT CAacEncoder::Settings::SetCutoff(LONG hertz) {
    if (hertz < 0 || hertz > 48000) return E_INVALIDARG;
    f_.m_cutoff = hertz;
    return S_OK;
}

HRESULT CAacEncoder::Settings::GetOutputHeader(BOOL* adts) {
    if (adts == nullptr) return E_POINTER;
    *adts = TRUE;
    return S_OK;
}

HRESULT CAacEncoder::Settings::SetChannelBitrate(LONG bitsPerSecond) {
    if (bitsPerSecond < 4000 || bitsPerSecond > 320000) return E_INVALIDARG;
    f_.m_channelBitrate = bitsPerSecond;
    return S_OK;
}

}  // namespace movanta::outside
