// The records that cross between the application and the engine: the
// target-phone profile, conversion requests and the media summary. Fields
// keep their order and widths.
#pragma once

#include <cstdint>

inline constexpr std::uint32_t TRX_SYS_MP4 = 1;
inline constexpr std::uint32_t TRX_SYS_3GP = 2;
inline constexpr std::uint16_t TRX_VCODEC_MPEG4 = 1;
inline constexpr std::uint16_t TRX_VCODEC_H263 = 2;
inline constexpr std::uint16_t TRX_ACODEC_AAC = 1;
inline constexpr std::uint16_t TRX_ACODEC_AMR = 2;

// The codec pair used for one output format.
struct FILEAVCODEC {
    std::uint32_t nSysFormat;
    std::uint16_t wVideoCodec;
    std::uint16_t wAudioCodec;
};

// A target phone. Quality levels 0, 1, 2 index the three-entry arrays.
struct MobileVideoConf {
    std::int32_t nTargetPhone;
    std::int32_t nWidth;
    std::int32_t nHeight;
    std::uint32_t nMaxFileSizeKB;  // 0xFFFFFFFF: no limit
    std::int32_t bQualitySelectable;
    std::int32_t nVideoBitrate[3];
    std::int32_t nAmrBitrate[3];
    std::int32_t nAmrMode[3];
    std::int32_t nAacBitrate[3];
    float fFrameRate[3];  // -1.0: keep the source's rate
    std::uint32_t nSysFormatMask;
    std::uint32_t nFileCODEC;
    FILEAVCODEC* pFileCODEC;
};

// A conversion request.
struct CNTConfig {
    std::int32_t nDstWidth;
    std::int32_t nDstHeight;
    std::int32_t nResampleMode;
    std::int32_t nTargetPhone;
    std::int32_t nAudioQuality;
    std::int32_t nVideoQuality;
    std::int32_t nSysFormat;
    std::int64_t llStart;  // 100 ns; -1: from the beginning
    std::int64_t llEnd;
    std::int32_t bImgEffect;
    std::int32_t nImgEffect[10];
};

// A request to turn a file's sound into MP3.
struct MusicConfig {
    std::int32_t nMp3BitrateIndex;
    std::int64_t llStart;
    std::int64_t llEnd;
    std::int32_t nGargle;
};

// The MP3 bit rate an nMp3BitrateIndex asks for, in kbit/s: 0 32, 1 64,
// 2 96, 3 128, 4 192, 5 256; any other index 128.
constexpr std::int32_t Mp3Kilobits(std::int32_t index) {
    constexpr std::int32_t kKilobits[] = {32, 64, 96, 128, 192, 256};
    return index >= 0 && index < 6 ? kKilobits[index] : 128;
}

// What a media file holds (838 bytes; strings UTF-16 and zero-terminated).
#pragma pack(push, 1)
struct MediaInfo {
    char16_t szFormatName[130];
    std::int32_t bHasAudio;
    char16_t szAudioCodec[128];
    std::uint32_t nAudioCodecId;
    std::uint32_t nAudioSampleRate;
    std::uint32_t nAudioBitrate;
    std::uint32_t nAudioSamples;
    std::uint8_t nAudioChannels;
    std::uint8_t nAudioResolution;
    std::int32_t bHasVideo;
    char16_t szVideoCodec[128];
    std::uint32_t nVideoCodecId;
    std::uint32_t nVideoBitrate;
    std::uint32_t nVideoFrames;
    std::uint32_t nVideoWidth;
    std::uint32_t nVideoHeight;
    float fVideoFrameRate;
    std::int64_t llDuration;  // microseconds
    std::int64_t llFileSize;
};
#pragma pack(pop)
static_assert(sizeof(MediaInfo) == 838);
