#include "phone_profiles.h"

#include <algorithm>
#include <cstdio>

namespace movanta::app {
namespace {

constexpr std::uint32_t kNoLimit = 0xFFFFFFFF;

FILEAVCODEC g_fcodecDefault[] = {{TRX_SYS_MP4, TRX_VCODEC_MPEG4, TRX_ACODEC_AAC},
                                 {TRX_SYS_3GP, TRX_VCODEC_H263, TRX_ACODEC_AMR}};
FILEAVCODEC g_fcodecPhone2[] = {{TRX_SYS_3GP, TRX_VCODEC_MPEG4, TRX_ACODEC_AMR}};
FILEAVCODEC g_fcodecPhone4[] = {{TRX_SYS_MP4, TRX_VCODEC_MPEG4, TRX_ACODEC_AAC},
                                {TRX_SYS_3GP, TRX_VCODEC_H263, TRX_ACODEC_AAC}};

const MobileVideoConf g_mbConfSet[kPhoneCount] = {
    {0,
     176,
     144,
     kNoLimit,
     1,
     {128000, 384000, 512000},
     {7950, 10200, 12200},
     {5, 6, 7},
     {48000, 96000, 128000},
     {10.0f, 12.0f, -1.0f},
     3,
     2,
     g_fcodecDefault},
    {1,
     176,
     144,
     kNoLimit,
     1,
     {128000, 384000, 512000},
     {7950, 10200, 12200},
     {5, 6, 7},
     {48000, 96000, 128000},
     {10.0f, 12.0f, -1.0f},
     3,
     2,
     g_fcodecDefault},
    {2,
     128,
     96,
     200,
     0,
     {48000, 64000, 64000},
     {7400, 7400, 7400},
     {4, 4, 4},
     {48000, 96000, 128000},
     {12.0f, 12.0f, 12.0f},
     2,
     1,
     g_fcodecPhone2},
    {3,
     320,
     240,
     kNoLimit,
     1,
     {256000, 384000, 512000},
     {7950, 10200, 12200},
     {5, 6, 7},
     {48000, 96000, 128000},
     {10.0f, 12.0f, -1.0f},
     3,
     2,
     g_fcodecDefault},
    {4,
     176,
     144,
     kNoLimit,
     1,
     {128000, 256000, 320000},
     {7950, 10200, 12200},
     {5, 6, 7},
     {48000, 64000, 76000},
     {8.0f, 9.0f, 10.0f},
     3,
     2,
     g_fcodecPhone4},
};

}  // namespace

const MobileVideoConf& PhoneProfile(int phone) {
    return g_mbConfSet[std::clamp(phone, 0, kPhoneCount - 1)];
}

std::uint16_t AudioCodecOf(const MobileVideoConf& profile, std::int32_t sysFormat) {
    std::uint16_t codec = sysFormat == static_cast<std::int32_t>(TRX_SYS_3GP) ? TRX_ACODEC_AMR : TRX_ACODEC_AAC;
    for (std::uint32_t i = 0; profile.pFileCODEC != nullptr && i < profile.nFileCODEC; ++i) {
        if (static_cast<std::int32_t>(profile.pFileCODEC[i].nSysFormat) == sysFormat) {
            codec = profile.pFileCODEC[i].wAudioCodec;
        }
    }
    return codec;
}

SizeEstimate VideoLenToSize(const MobileVideoConf& profile, int videoQuality, int audioQuality, std::int32_t sysFormat,
                            std::int64_t length) {
    videoQuality = std::clamp(videoQuality, 0, 2);
    audioQuality = std::clamp(audioQuality, 0, 2);
    std::int64_t bitrate = 0;
    if (sysFormat == static_cast<std::int32_t>(TRX_SYS_MP4)) {
        bitrate = std::int64_t {profile.nVideoBitrate[videoQuality]} + profile.nAacBitrate[audioQuality];
    } else if (sysFormat == static_cast<std::int32_t>(TRX_SYS_3GP)) {
        bitrate = std::int64_t {profile.nVideoBitrate[videoQuality]} + profile.nAmrBitrate[audioQuality];
    }
    const std::int64_t seconds = length / 10000000;
    const std::int64_t size = seconds * bitrate / 8000;
    SizeEstimate estimate;
    estimate.kilobytes = static_cast<std::uint32_t>(size);
    estimate.overLimit = estimate.kilobytes >= profile.nMaxFileSizeKB;
    wchar_t text[32];
    std::swprintf(text, 32, L"%uKB", estimate.kilobytes);
    estimate.text = text;
    return estimate;
}

}  // namespace movanta::app
