#include "mp3_encoder_filter.h"

#include <algorithm>
#include <iterator>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/opt.h>
}

#include "dshow/media_subtypes.h"

namespace movanta::outside {
namespace {

constexpr WORD kMp3FormatTag = 0x0055;
// The rates of MPEG-1, MPEG-2 and MPEG-2.5 layer III.
constexpr DWORD kRates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
// The bit rates LAME codes, kbit/s.
constexpr LONG kBitrates[] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 192, 224, 256, 320};
// The longest layer III frame: 320 kbit/s at 32 kHz, with padding.
constexpr long kMaxFrameBytes = 1441;

}  // namespace

CUnknown* CMp3Encoder::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    return NewComObject<CMp3Encoder>(result, outer);
}

CMp3Encoder::CMp3Encoder(LPUNKNOWN outer) : CAudioEncoderFilter(L"MP3 Encoder", outer, CLSID_Mp3Encoder) {}

HRESULT CMp3Encoder::NonDelegatingQueryInterface(REFIID iid, void** object) {
    if (iid == IID_IMp3Encoder) return GetInterface(static_cast<IMp3Encoder*>(&m_settings), object);
    return CAudioEncoderFilter::NonDelegatingQueryInterface(iid, object);
}

bool CMp3Encoder::AcceptsFormat(const WAVEFORMATEX& format) const {
    return std::find(std::begin(kRates), std::end(kRates), format.nSamplesPerSec) != std::end(kRates);
}

CMp3Encoder::CodedFormat CMp3Encoder::Coded(const WAVEFORMATEX&) const {
    return {&MEDIASUBTYPE_MP3, kMp3FormatTag, static_cast<DWORD>(m_kilobits.load() * 1000 / 8)};
}

bool CMp3Encoder::OpenEncoder(CAvAudioEncoder& encoder, const WAVEFORMATEX& input) {
    const long long bitrate = static_cast<long long>(m_kilobits.load()) * 1000;
    const bool joint = m_channelMode.load() == 0;
    return encoder.Open("libmp3lame", input.nChannels, static_cast<int>(input.nSamplesPerSec), input.wBitsPerSample,
                        [&](AVCodecContext& context) {
                            context.bit_rate = bitrate;
                            av_opt_set_int(context.priv_data, "joint_stereo", joint ? 1 : 0, 0);
                        });
}

long CMp3Encoder::MaxFrameBytes(const WAVEFORMATEX&) const {
    return kMaxFrameBytes;
}

HRESULT CMp3Encoder::Settings::GetChannelMode(LONG* mode) {
    if (mode == nullptr) return E_POINTER;
    *mode = f_.m_channelMode.load();
    return S_OK;
}

HRESULT CMp3Encoder::Settings::SetChannelMode(LONG mode) {
    if (mode != 0 && mode != 1) return E_INVALIDARG;
    f_.m_channelMode = mode;
    return S_OK;
}

HRESULT CMp3Encoder::Settings::GetBitrate(LONG* kilobitsPerSecond) {
    if (kilobitsPerSecond == nullptr) return E_POINTER;
    *kilobitsPerSecond = f_.m_kilobits.load();
    return S_OK;
}

HRESULT CMp3Encoder::Settings::SetBitrate(LONG kilobitsPerSecond) {
    if (std::find(std::begin(kBitrates), std::end(kBitrates), kilobitsPerSecond) == std::end(kBitrates)) {
        return E_INVALIDARG;
    }
    f_.m_kilobits = kilobitsPerSecond;
    return S_OK;
}

}  // namespace movanta::outside
