#include "progress_line.h"

#include <algorithm>
#include <cstdio>

namespace movanta::convert {

ProgressLine::ProgressLine(std::int64_t length, bool terminal)
    : length_(length > 0 ? length : 0), terminal_(terminal), begun_(std::chrono::steady_clock::now()) {}

void ProgressLine::Show(std::int64_t position, std::int64_t bytes) {
    if (length_ == 0) {
        // No length to measure against: how far, and how much, each second.
        const auto now = std::chrono::steady_clock::now();
        if (!terminal_ && now - lastShown_ < std::chrono::seconds(1)) return;
        lastShown_ = now;
        std::printf("%s%8.1f s converted  %8.1f KB%s", terminal_ ? "\r" : "", std::max<std::int64_t>(position, 0) / 1e7,
                    bytes / 1000.0, terminal_ ? "   " : "\n");
        std::fflush(stdout);
        shown_ = true;
        return;
    }
    position = std::clamp<std::int64_t>(position, 0, length_);
    const double done = static_cast<double>(position) / static_cast<double>(length_);
    const int tenth = static_cast<int>(done * 10);
    if (!terminal_ && tenth == lastTenth_) return;
    lastTenth_ = tenth;
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - begun_).count();
    char left[32] = "--:--";
    if (done > 0.01) {
        const int seconds = static_cast<int>(elapsed * (1 - done) / done + 0.5);
        std::snprintf(left, sizeof left, "%d:%02d", seconds / 60, seconds % 60);
    }
    std::printf("%s%8.1f s of %.1f s %3d%%  %8.1f KB  %s left%s", terminal_ ? "\r" : "", position / 1e7, length_ / 1e7,
                static_cast<int>(done * 100), bytes / 1000.0, left, terminal_ ? "   " : "\n");
    std::fflush(stdout);
    shown_ = true;
}

void ProgressLine::Finish() {
    if (terminal_ && shown_) std::printf("\n");
    shown_ = false;
}

}  // namespace movanta::convert
