#include "fit_plan.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace movanta::convert {
namespace {

// Measured on this writer's files: about 2 KB of boxes, then 250 bytes a
// second of sample tables (12 pictures and 50 AMR frames a second), about
// 900 with the hint track.
constexpr std::int64_t kFixedBytes = 2048;
constexpr double kTableBytesPerSecond = 250;
constexpr double kHintedTableBytesPerSecond = 900;
// The share of the pictures' bytes the estimate aims at, for the encoder's
// rate control to stray into.
constexpr double kMargin = 0.97;

double SoundBytes(double seconds, int audioBitrate) { return seconds * audioBitrate / 8; }

}  // namespace

std::optional<std::int64_t> ParseSize(const std::string& text) {
    if (text.empty()) return std::nullopt;
    double unit = 1;
    std::string number = text;
    const char last = text.back();
    if (last == 'k' || last == 'K') unit = 1e3;
    if (last == 'm' || last == 'M') unit = 1e6;
    if (unit != 1) number.pop_back();
    if (number.empty() || number.find_first_not_of("0123456789.") != std::string::npos) return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(number.c_str(), &end);
    if (end != number.c_str() + number.size() || !std::isfinite(value) || value * unit < 1 || value * unit > 1e12) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(value * unit);
}

std::int64_t ContainerBytes(double seconds, bool hinted) {
    return kFixedBytes +
           static_cast<std::int64_t>(seconds * (hinted ? kHintedTableBytesPerSecond : kTableBytesPerSecond));
}

std::optional<int> VideoBitrateToFit(std::int64_t bytes, double seconds, int audioBitrate, bool hinted) {
    if (seconds <= 0) return std::nullopt;
    const double pictures = (bytes - SoundBytes(seconds, audioBitrate) - ContainerBytes(seconds, hinted)) * kMargin;
    const double bitrate = pictures * 8 / seconds;
    if (bitrate < kLowestVideoBitrate) return std::nullopt;
    return static_cast<int>(std::min(bitrate, 1e9));
}

int LowerVideoBitrate(int bitrate, std::int64_t actual, std::int64_t bytes, double seconds, int audioBitrate,
                      bool hinted) {
    const double rest = SoundBytes(seconds, audioBitrate) + ContainerBytes(seconds, hinted);
    const double had = std::max(actual - rest, 1.0);
    const double wanted = std::max((bytes - rest) * kMargin, 0.0);
    // At least a tenth lower, so that each try changes something.
    return static_cast<int>(std::min(bitrate * wanted / had, bitrate * 0.9));
}

}  // namespace movanta::convert
