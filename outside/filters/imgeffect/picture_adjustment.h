// The picture adjustment of "ImgEffect", from its ten values:
//   0 brightness  -100..100 (added to the level, 1.28 steps of 0-255 each)
//   1 contrast    -100..100 (the distance from mid-grey scaled by (100 + v) / 100)
//   2 saturation  -100..100 (the colour's distance from grey scaled likewise)
//   3 grey        nonzero: no colour at all
//   4 negative    nonzero: levels inverted
//   5-9           not used
// Values outside their range are clamped. All zero leaves the picture as it is.
#pragma once

#include <array>
#include <cstdint>

namespace movanta::outside {

class PictureAdjustment {
public:
    static constexpr int kValueCount = 10;

    void Set(const std::array<int, kValueCount>& values);
    bool IsIdentity() const { return identity_; }
    // Planar or packed YUV: luma and chroma bytes.
    std::uint8_t Luma(std::uint8_t value) const { return luma_[value]; }
    std::uint8_t Chroma(std::uint8_t value) const { return chroma_[value]; }
    // One RGB pixel (blue, green, red) in place.
    void Rgb(std::uint8_t* pixel) const;

private:
    std::array<std::uint8_t, 256> luma_ {};
    std::array<std::uint8_t, 256> chroma_ {};
    int saturation_ = 100;  // percent
    bool grey_ = false;
    bool negative_ = false;
    bool identity_ = true;
};

}  // namespace movanta::outside
