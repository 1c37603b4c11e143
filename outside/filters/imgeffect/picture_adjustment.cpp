#include "picture_adjustment.h"

#include <algorithm>
#include <cmath>

namespace movanta::outside {
namespace {

std::uint8_t Clamp(double value) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

}  // namespace

void PictureAdjustment::Set(const std::array<int, kValueCount>& values) {
    const int brightness = std::clamp(values[0], -100, 100);
    const int contrast = std::clamp(values[1], -100, 100);
    saturation_ = 100 + std::clamp(values[2], -100, 100);
    grey_ = values[3] != 0;
    negative_ = values[4] != 0;
    identity_ = brightness == 0 && contrast == 0 && saturation_ == 100 && !grey_ && !negative_;
    for (int i = 0; i < 256; ++i) {
        double level = 128 + (i - 128) * (100 + contrast) / 100.0 + brightness * 1.28;
        if (negative_) level = 255 - level;
        luma_[i] = Clamp(level);
        const double colour = grey_ ? 0 : (i - 128) * saturation_ / 100.0;
        chroma_[i] = Clamp(128 + (negative_ ? -colour : colour));
    }
}

void PictureAdjustment::Rgb(std::uint8_t* pixel) const {
    const double grey = 0.114 * pixel[0] + 0.587 * pixel[1] + 0.299 * pixel[2];
    const double keep = grey_ ? 0 : saturation_ / 100.0;
    for (int c = 0; c < 3; ++c) pixel[c] = luma_[Clamp(grey + (pixel[c] - grey) * keep)];
}

}  // namespace movanta::outside
