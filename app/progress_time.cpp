#include "progress_time.h"

#include <algorithm>
#include <cwchar>

namespace movanta::app {

ConversionProgress ProgressOf(std::int64_t length, std::int64_t position, std::uint32_t elapsed) {
    constexpr std::int64_t kTicksPerMillisecond = 10000;
    constexpr double kTooLong = 360000001.0;  // a hundred hours, in milliseconds
    ConversionProgress progress;
    if (length <= 0) {  // a file of unknown length: no share, no time left to tell
        progress.remaining = L"--:--";
        return progress;
    }
    const std::int64_t range = std::max<std::int64_t>(length / kTicksPerMillisecond, 1);
    const std::int64_t done = std::clamp<std::int64_t>(position / kTicksPerMillisecond, 0, range);
    progress.percent = static_cast<int>(done * 100 / range);
    const std::int64_t counted = std::max<std::int64_t>(done, 1);
    double remaining =
        static_cast<double>(range - counted) / static_cast<double>(counted) * static_cast<double>(elapsed);
    if (remaining >= kTooLong) remaining = 0;
    const auto seconds = static_cast<std::int64_t>(remaining / 1000);
    wchar_t text[32];
    if (seconds < 3600) {
        std::swprintf(text, 32, L"%02d:%02d", static_cast<int>(seconds / 60), static_cast<int>(seconds % 60));
    } else {
        std::swprintf(text, 32, L"%02d:%02d:%02d", static_cast<int>(seconds / 3600),
                      static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    }
    progress.remaining = text;
    return progress;
}

}  // namespace movanta::app
