#include "engine/probe.h"

#include <iterator>

extern "C" {
#include <libavformat/avformat.h>
}

#include "dshow/avmedia/display_rotation.h"
#include "win/debug.h"

namespace movanta::engine {
namespace {

struct CodecName {
    AVCodecID id;  // AV_CODEC_ID_NONE for names today's FFmpeg no longer has (other than "NONE")
    const char* name;
};

// The codec identifiers 0-95 of the media summary, in order.
const CodecName kCodecs[] = {
    {AV_CODEC_ID_NONE, "NONE"},
    {AV_CODEC_ID_MPEG1VIDEO, "MPEG1VIDEO"},
    {AV_CODEC_ID_MPEG2VIDEO, "MPEG2VIDEO"},
    {AV_CODEC_ID_NONE, "MPEG2VIDEO_XVMC"},
    {AV_CODEC_ID_H263, "H263"},
    {AV_CODEC_ID_RV10, "RV10"},
    {AV_CODEC_ID_RV20, "RV20"},
    {AV_CODEC_ID_MP2, "MP2"},
    {AV_CODEC_ID_MP3, "MP3"},
    {AV_CODEC_ID_VORBIS, "VORBIS"},
    {AV_CODEC_ID_AC3, "AC3"},
    {AV_CODEC_ID_MJPEG, "MJPEG"},
    {AV_CODEC_ID_MJPEGB, "MJPEGB"},
    {AV_CODEC_ID_LJPEG, "LJPEG"},
    {AV_CODEC_ID_SP5X, "SP5X"},
    {AV_CODEC_ID_MPEG4, "MPEG4"},
    {AV_CODEC_ID_RAWVIDEO, "RAWVIDEO"},
    {AV_CODEC_ID_MSMPEG4V1, "MSMPEG4V1"},
    {AV_CODEC_ID_MSMPEG4V2, "MSMPEG4V2"},
    {AV_CODEC_ID_MSMPEG4V3, "MSMPEG4V3"},
    {AV_CODEC_ID_WMV1, "WMV1"},
    {AV_CODEC_ID_WMV2, "WMV2"},
    {AV_CODEC_ID_H263P, "H263P"},
    {AV_CODEC_ID_H263I, "H263I"},
    {AV_CODEC_ID_FLV1, "FLV1"},
    {AV_CODEC_ID_SVQ1, "SVQ1"},
    {AV_CODEC_ID_SVQ3, "SVQ3"},
    {AV_CODEC_ID_DVVIDEO, "DVVIDEO"},
    {AV_CODEC_ID_DVAUDIO, "DVAUDIO"},
    {AV_CODEC_ID_WMAV1, "WMAV1"},
    {AV_CODEC_ID_WMAV2, "WMAV2"},
    {AV_CODEC_ID_MACE3, "MACE3"},
    {AV_CODEC_ID_MACE6, "MACE6"},
    {AV_CODEC_ID_HUFFYUV, "HUFFYUV"},
    {AV_CODEC_ID_CYUV, "CYUV"},
    {AV_CODEC_ID_H264, "H264"},
    {AV_CODEC_ID_INDEO3, "INDEO3"},
    {AV_CODEC_ID_VP3, "VP3"},
    {AV_CODEC_ID_THEORA, "THEORA"},
    {AV_CODEC_ID_AAC, "AAC"},
    {AV_CODEC_ID_NONE, "MPEG4AAC"},
    {AV_CODEC_ID_ASV1, "ASV1"},
    {AV_CODEC_ID_ASV2, "ASV2"},
    {AV_CODEC_ID_FFV1, "FFV1"},
    {AV_CODEC_ID_4XM, "4XM"},
    {AV_CODEC_ID_VCR1, "VCR1"},
    {AV_CODEC_ID_CLJR, "CLJR"},
    {AV_CODEC_ID_MDEC, "MDEC"},
    {AV_CODEC_ID_ROQ, "ROQ"},
    {AV_CODEC_ID_INTERPLAY_VIDEO, "INTERPLAY_VIDEO"},
    {AV_CODEC_ID_XAN_WC3, "XAN_WC3"},
    {AV_CODEC_ID_XAN_WC4, "XAN_WC4"},
    {AV_CODEC_ID_RPZA, "RPZA"},
    {AV_CODEC_ID_CINEPAK, "CINEPAK"},
    {AV_CODEC_ID_WS_VQA, "WS_VQA"},
    {AV_CODEC_ID_MSRLE, "MSRLE"},
    {AV_CODEC_ID_MSVIDEO1, "MSVIDEO1"},
    {AV_CODEC_ID_IDCIN, "IDCIN"},
    {AV_CODEC_ID_8BPS, "8BPS"},
    {AV_CODEC_ID_SMC, "SMC"},
    {AV_CODEC_ID_FLIC, "FLIC"},
    {AV_CODEC_ID_TRUEMOTION1, "TRUEMOTION1"},
    {AV_CODEC_ID_VMDVIDEO, "VMDVIDEO"},
    {AV_CODEC_ID_VMDAUDIO, "VMDAUDIO"},
    {AV_CODEC_ID_MSZH, "MSZH"},
    {AV_CODEC_ID_ZLIB, "ZLIB"},
    {AV_CODEC_ID_QTRLE, "QTRLE"},
    {AV_CODEC_ID_PCM_S16LE, "PCM_S16LE"},
    {AV_CODEC_ID_PCM_S16BE, "PCM_S16BE"},
    {AV_CODEC_ID_PCM_U16LE, "PCM_U16LE"},
    {AV_CODEC_ID_PCM_U16BE, "PCM_U16BE"},
    {AV_CODEC_ID_PCM_S8, "PCM_S8"},
    {AV_CODEC_ID_PCM_U8, "PCM_U8"},
    {AV_CODEC_ID_PCM_MULAW, "PCM_MULAW"},
    {AV_CODEC_ID_PCM_ALAW, "PCM_ALAW"},
    {AV_CODEC_ID_ADPCM_IMA_QT, "ADPCM_IMA_QT"},
    {AV_CODEC_ID_ADPCM_IMA_WAV, "ADPCM_IMA_WAV"},
    {AV_CODEC_ID_ADPCM_IMA_DK3, "ADPCM_IMA_DK3"},
    {AV_CODEC_ID_ADPCM_IMA_DK4, "ADPCM_IMA_DK4"},
    {AV_CODEC_ID_ADPCM_IMA_WS, "ADPCM_IMA_WS"},
    {AV_CODEC_ID_ADPCM_IMA_SMJPEG, "ADPCM_IMA_SMJPEG"},
    {AV_CODEC_ID_ADPCM_MS, "ADPCM_MS"},
    {AV_CODEC_ID_ADPCM_4XM, "ADPCM_4XM"},
    {AV_CODEC_ID_ADPCM_XA, "ADPCM_XA"},
    {AV_CODEC_ID_ADPCM_ADX, "ADPCM_ADX"},
    {AV_CODEC_ID_ADPCM_EA, "ADPCM_EA"},
    {AV_CODEC_ID_ADPCM_G726, "ADPCM_G726"},
    {AV_CODEC_ID_AMR_NB, "AMR_NB"},
    {AV_CODEC_ID_AMR_WB, "AMR_WB"},
    {AV_CODEC_ID_RA_144, "RA_144"},
    {AV_CODEC_ID_RA_288, "RA_288"},
    {AV_CODEC_ID_ROQ_DPCM, "ROQ_DPCM"},
    {AV_CODEC_ID_INTERPLAY_DPCM, "INTERPLAY_DPCM"},
    {AV_CODEC_ID_XAN_DPCM, "XAN_DPCM"},
    {AV_CODEC_ID_FLAC, "FLAC"},
    {AV_CODEC_ID_MPEG2TS, "MPEG2TS"},
};
static_assert(std::size(kCodecs) == 96);

// Copies ASCII text into a UTF-16 field of `capacity` characters.
template <size_t N>
void SetText(char16_t (&field)[N], const char* text) {
    size_t i = 0;
    for (; text != nullptr && text[i] != '\0' && i + 1 < N; ++i) field[i] = static_cast<unsigned char>(text[i]);
    field[i] = u'\0';
}

std::uint32_t Clamp32(std::int64_t value) {
    if (value < 0) return 0;
    return value > 0xFFFFFFFFll ? 0xFFFFFFFFu : static_cast<std::uint32_t>(value);
}

}  // namespace

bool CodecTableEntry(int avCodecId, int& index, const char*& name) {
    for (int i = 0; i < static_cast<int>(std::size(kCodecs)); ++i) {
        if (kCodecs[i].id == avCodecId && (i == 0 || kCodecs[i].id != AV_CODEC_ID_NONE)) {
            index = i;
            name = kCodecs[i].name;
            return true;
        }
    }
    return false;
}

bool ProbeMediaFile(const std::string& path, MediaInfo& info) {
    AVFormatContext* context = nullptr;
    const int opened = avformat_open_input(&context, path.c_str(), nullptr, nullptr);
    if (opened < 0) {
        TRACE("open %s error = %d \n", path.c_str(), opened);
        return false;
    }
    if (avformat_find_stream_info(context, nullptr) < 0) {
        TRACE("%s: could not find codec parameters\n", path.c_str());
        avformat_close_input(&context);
        return false;
    }
    info.nAudioCodecId = 0;
    info.nVideoCodecId = 0;
    if (context->duration != AV_NOPTS_VALUE) {
        info.llDuration = context->duration;  // microseconds
        SetText(info.szFormatName, context->iformat->name);
    }
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream* stream = context->streams[i];
        const AVCodecParameters* codec = stream->codecpar;
        int index = 0;
        const char* name = nullptr;
        const bool known = CodecTableEntry(codec->codec_id, index, name);
        if (codec->codec_type == AVMEDIA_TYPE_AUDIO) {
            info.nAudioCodecId = known ? static_cast<std::uint32_t>(index) : 0;
            if (known) SetText(info.szAudioCodec, name);
            info.nAudioSampleRate = Clamp32(codec->sample_rate);
            info.nAudioBitrate = Clamp32(codec->bit_rate);
            info.nAudioSamples = Clamp32(stream->nb_frames);
            info.nAudioChannels = static_cast<std::uint8_t>(codec->ch_layout.nb_channels);
            info.nAudioResolution = static_cast<std::uint8_t>(codec->bits_per_coded_sample);
        } else if (codec->codec_type == AVMEDIA_TYPE_VIDEO) {
            info.nVideoCodecId = known ? static_cast<std::uint32_t>(index) : 0;
            if (known) SetText(info.szVideoCodec, name);
            info.nVideoBitrate = Clamp32(codec->bit_rate);
            info.nVideoFrames = Clamp32(stream->nb_frames);
            // The size a person sees: a picture recorded a quarter turn
            // round shows with its sides swapped.
            const int rotation = dshow::DisplayRotation(*stream);
            const bool across = rotation == 90 || rotation == 270;
            info.nVideoWidth = Clamp32(across ? codec->height : codec->width);
            info.nVideoHeight = Clamp32(across ? codec->width : codec->height);
            const AVRational rate = stream->avg_frame_rate.num != 0 ? stream->avg_frame_rate : stream->r_frame_rate;
            info.fVideoFrameRate = rate.den != 0 ? static_cast<float>(av_q2d(rate)) : 0.0f;
        }
    }
    avformat_close_input(&context);
    return true;
}

}  // namespace movanta::engine
