// The integer colour tables of the picture conversions (BT.601, studio
// range), shared by the scaler and the video decoder. Built once per process.
#pragma once

#include <cstdint>

namespace movanta::scaler {

struct ColorTables {
    // RGB to YUV, in 1/65536 units (entry = trunc(i * 256 * c)).
    std::int32_t yFromR[256];
    std::int32_t yFromG[256];
    std::int32_t yFromB[256];
    std::int32_t uFromR[256];
    std::int32_t uFromG[256];
    std::int32_t vFromG[256];
    std::int32_t vFromB[256];
    std::int32_t uFromBvFromR[256];  // the 112 coefficient both share
    // YUV to RGB, in 1/65536 units.
    std::int32_t luma[256];
    std::int32_t rFromV[256];
    std::int32_t gFromV[256];
    std::int32_t gFromU[256];
    std::int32_t bFromU[256];

    // 0 below 0, the value itself up to 255, 255 above; for -384..639.
    std::uint8_t Clip(int value) const { return clip[value + kClipOffset]; }

    static constexpr int kClipOffset = 384;
    std::uint8_t clip[1024];
};

const ColorTables& Colors();

}  // namespace movanta::scaler
