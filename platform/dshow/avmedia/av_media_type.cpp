#include "av_media_type.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "dshow/media_subtypes.h"
#include "dshow/uuids.h"

namespace movanta::dshow {
namespace {

// {codec id-4D56-4E54-...}: a codec of libavcodec without a RIFF tag.
constexpr GUID PrivateSubtype(std::uint32_t codecId) {
    return {codecId, 0x4D56, 0x4E54, {0x8A, 0x6F, 0x76, 0x61, 0x6E, 0x74, 0x61, 0x01}};
}

bool IsPrivateSubtype(const GUID& subtype) {
    const GUID pattern = PrivateSubtype(subtype.Data1);
    return subtype == pattern;
}

bool IsFourCCSubtype(const GUID& subtype) {
    return subtype == FourCCGuid(subtype.Data1);
}

unsigned RiffTag(const AVCodecTag* table, AVCodecID id) {
    const AVCodecTag* const tables[] = {table, nullptr};
    return av_codec_get_tag(tables, id);
}

AVCodecID RiffCodec(const AVCodecTag* table, unsigned tag) {
    const AVCodecTag* const tables[] = {table, nullptr};
    return av_codec_get_id(tables, tag);
}

constexpr std::uint32_t kMaxExtradata = 1 << 20;

bool SetExtradata(AVCodecParameters* codec, const BYTE* bytes, std::size_t size) {
    av_freep(&codec->extradata);
    codec->extradata_size = 0;
    if (size == 0) return true;
    if (size > kMaxExtradata) return false;
    codec->extradata = static_cast<std::uint8_t*>(av_mallocz(size + AV_INPUT_BUFFER_PADDING_SIZE));
    if (codec->extradata == nullptr) return false;
    std::memcpy(codec->extradata, bytes, size);
    codec->extradata_size = static_cast<int>(size);
    return true;
}

bool VideoType(const AVCodecParameters& codec, const AVRational& frameRate, CMediaType& type) {
    const unsigned tag = RiffTag(avformat_get_riff_video_tags(), codec.codec_id);
    const std::size_t extra = codec.extradata_size > 0 ? static_cast<std::size_t>(codec.extradata_size) : 0;
    auto* header = reinterpret_cast<VIDEOINFOHEADER*>(type.AllocFormatBuffer(sizeof(VIDEOINFOHEADER) + extra));
    if (header == nullptr) return false;
    std::memset(header, 0, sizeof(VIDEOINFOHEADER));
    if (extra > 0) std::memcpy(reinterpret_cast<BYTE*>(header) + sizeof(VIDEOINFOHEADER), codec.extradata, extra);
    header->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header->bmiHeader.biWidth = codec.width;
    header->bmiHeader.biHeight = codec.height;
    header->bmiHeader.biPlanes = 1;
    header->bmiHeader.biBitCount =
        static_cast<WORD>(codec.bits_per_coded_sample > 0 ? codec.bits_per_coded_sample : 24);
    header->bmiHeader.biCompression = tag;
    header->rcSource = {0, 0, codec.width, codec.height};
    header->rcTarget = header->rcSource;
    header->dwBitRate = static_cast<DWORD>(codec.bit_rate > 0 ? codec.bit_rate : 0);
    if (frameRate.num > 0 && frameRate.den > 0) {
        header->AvgTimePerFrame = static_cast<REFERENCE_TIME>(10000000LL * frameRate.den / frameRate.num);
    }
    type.SetType(&MEDIATYPE_Video);
    const GUID subtype = codec.codec_id == AV_CODEC_ID_H263 ? MEDIASUBTYPE_H263
                         : tag != 0                         ? FourCCGuid(tag)
                                                            : PrivateSubtype(codec.codec_id);
    type.SetSubtype(&subtype);
    type.SetFormatType(&FORMAT_VideoInfo);
    type.SetTemporalCompression(TRUE);
    type.SetVariableSize();
    return true;
}

bool AudioType(const AVCodecParameters& codec, CMediaType& type) {
    const bool pcm = codec.codec_id == AV_CODEC_ID_PCM_S16LE || codec.codec_id == AV_CODEC_ID_PCM_U8;
    const unsigned tag = pcm ? WAVE_FORMAT_PCM : RiffTag(avformat_get_riff_audio_tags(), codec.codec_id);
    const std::size_t extra = !pcm && codec.extradata_size > 0 ? static_cast<std::size_t>(codec.extradata_size) : 0;
    if (extra > 0xFFFF) return false;
    auto* format = reinterpret_cast<WAVEFORMATEX*>(type.AllocFormatBuffer(sizeof(WAVEFORMATEX) + extra));
    if (format == nullptr) return false;
    std::memset(format, 0, sizeof(WAVEFORMATEX));
    if (extra > 0) std::memcpy(reinterpret_cast<BYTE*>(format) + sizeof(WAVEFORMATEX), codec.extradata, extra);
    const int channels = codec.ch_layout.nb_channels > 0 ? codec.ch_layout.nb_channels : 1;
    format->wFormatTag = static_cast<WORD>(tag <= 0xFFFF ? tag : 0);
    format->nChannels = static_cast<WORD>(channels);
    format->nSamplesPerSec = static_cast<DWORD>(codec.sample_rate);
    format->cbSize = static_cast<WORD>(extra);
    if (pcm) {
        format->wBitsPerSample = codec.codec_id == AV_CODEC_ID_PCM_U8 ? 8 : 16;
        format->nBlockAlign = static_cast<WORD>(channels * format->wBitsPerSample / 8);
        format->nAvgBytesPerSec = format->nSamplesPerSec * format->nBlockAlign;
    } else {
        format->wBitsPerSample = static_cast<WORD>(codec.bits_per_coded_sample);
        format->nBlockAlign = static_cast<WORD>(codec.block_align);
        format->nAvgBytesPerSec = static_cast<DWORD>(codec.bit_rate > 0 ? codec.bit_rate / 8 : 0);
    }
    type.SetType(&MEDIATYPE_Audio);
    const GUID subtype = pcm                                    ? MEDIASUBTYPE_PCM
                         : codec.codec_id == AV_CODEC_ID_AMR_NB ? MEDIASUBTYPE_AMR
                         : tag != 0 && tag <= 0xFFFF            ? FourCCGuid(tag)
                                                                : PrivateSubtype(codec.codec_id);
    type.SetSubtype(&subtype);
    type.SetFormatType(&FORMAT_WaveFormatEx);
    if (pcm) {
        type.SetSampleSize(format->nBlockAlign);
    } else {
        type.SetVariableSize();
    }
    return true;
}

AVCodecID VideoCodecOf(const GUID& subtype) {
    if (subtype == MEDIASUBTYPE_H263) return AV_CODEC_ID_H263;
    if (IsPrivateSubtype(subtype)) return static_cast<AVCodecID>(subtype.Data1);
    if (!IsFourCCSubtype(subtype)) return AV_CODEC_ID_NONE;
    return RiffCodec(avformat_get_riff_video_tags(), subtype.Data1);
}

AVCodecID AudioCodecOf(const GUID& subtype, const WAVEFORMATEX& format) {
    if (subtype == MEDIASUBTYPE_PCM) return format.wBitsPerSample == 8 ? AV_CODEC_ID_PCM_U8 : AV_CODEC_ID_PCM_S16LE;
    if (subtype == MEDIASUBTYPE_AMR) return AV_CODEC_ID_AMR_NB;
    if (IsPrivateSubtype(subtype)) return static_cast<AVCodecID>(subtype.Data1);
    if (!IsFourCCSubtype(subtype)) return AV_CODEC_ID_NONE;
    return RiffCodec(avformat_get_riff_audio_tags(), subtype.Data1);
}

}  // namespace

bool MediaTypeOfStream(const AVCodecParameters& codec, const AVRational& frameRate, CMediaType& type) {
    if (codec.codec_id == AV_CODEC_ID_NONE) return false;
    if (codec.codec_type == AVMEDIA_TYPE_VIDEO)
        return codec.width > 0 && codec.height > 0 && VideoType(codec, frameRate, type);
    if (codec.codec_type == AVMEDIA_TYPE_AUDIO) return codec.sample_rate > 0 && AudioType(codec, type);
    return false;
}

bool CodecOfMediaType(const CMediaType& type, AVCodecParameters* codec) {
    if (codec == nullptr) return false;
    const BYTE* format = type.Format();
    const ULONG length = type.FormatLength();
    if (const VIDEOINFOHEADER* header = VideoInfoOf(type); header != nullptr && type.majortype == MEDIATYPE_Video) {
        const AVCodecID id = VideoCodecOf(type.subtype);
        if (id == AV_CODEC_ID_NONE || avcodec_find_decoder(id) == nullptr) return false;
        codec->codec_type = AVMEDIA_TYPE_VIDEO;
        codec->codec_id = id;
        codec->codec_tag = header->bmiHeader.biCompression;
        codec->width = header->bmiHeader.biWidth;
        codec->height = header->bmiHeader.biHeight < 0 ? -header->bmiHeader.biHeight : header->bmiHeader.biHeight;
        codec->bits_per_coded_sample = header->bmiHeader.biBitCount;
        return SetExtradata(codec, format + sizeof(VIDEOINFOHEADER), length - sizeof(VIDEOINFOHEADER));
    }
    if (const WAVEFORMATEX* wave = WaveFormatOf(type); wave != nullptr && type.majortype == MEDIATYPE_Audio) {
        const AVCodecID id = AudioCodecOf(type.subtype, *wave);
        if (id == AV_CODEC_ID_NONE || avcodec_find_decoder(id) == nullptr) return false;
        if (wave->nChannels == 0 || wave->nSamplesPerSec == 0) return false;
        codec->codec_type = AVMEDIA_TYPE_AUDIO;
        codec->codec_id = id;
        codec->codec_tag = wave->wFormatTag;
        codec->sample_rate = static_cast<int>(wave->nSamplesPerSec);
        av_channel_layout_uninit(&codec->ch_layout);
        av_channel_layout_default(&codec->ch_layout, wave->nChannels);
        codec->block_align = wave->nBlockAlign;
        codec->bit_rate = static_cast<std::int64_t>(wave->nAvgBytesPerSec) * 8;
        codec->bits_per_coded_sample = wave->wBitsPerSample;
        const std::size_t extra = std::min<std::size_t>(wave->cbSize, length - sizeof(WAVEFORMATEX));
        return SetExtradata(codec, format + sizeof(WAVEFORMATEX), extra);
    }
    return false;
}

bool IsDecodableCompressedType(const CMediaType& type) {
    if (type.subtype == MEDIASUBTYPE_PCM) return false;
    AVCodecParameters* codec = avcodec_parameters_alloc();
    const bool known = codec != nullptr && CodecOfMediaType(type, codec);
    avcodec_parameters_free(&codec);
    return known;
}

}  // namespace movanta::dshow
