// The five target-phone profiles and the output-size estimate shown before
// a conversion.
#pragma once

#include <cstdint>
#include <string>

#include "engine/records.h"

namespace movanta::app {

inline constexpr int kPhoneCount = 5;

// The profile of phone 0-4 (constant data; the engine copies what it is given).
const MobileVideoConf& PhoneProfile(int phone);

// The audio codec a profile gives files of `sysFormat`: the last entry of its
// codec list for that format, else AAC for MP4 and AMR-NB for 3GP.
std::uint16_t AudioCodecOf(const MobileVideoConf& profile, std::int32_t sysFormat);

struct SizeEstimate {
    std::uint32_t kilobytes = 0;  // of 1000 bytes
    bool overLimit = false;       // at or above the phone's file-size limit
    std::wstring text;            // "1800KB"
};

// VideoLenToSize: whole seconds of `length` (100 ns) at the video rate of
// `videoQuality` plus the audio rate of `audioQuality` (AAC for format 1,
// AMR for format 2, nothing otherwise).
SizeEstimate VideoLenToSize(const MobileVideoConf& profile, int videoQuality, int audioQuality, std::int32_t sysFormat,
                            std::int64_t length);

}  // namespace movanta::app
