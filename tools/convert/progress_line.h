// Conversion progress for a terminal: one line rewritten in place (or a
// line at each tenth when the output is not a terminal) with the position,
// the size so far and the time left. Without a known length: the position
// and the size (a line a second when the output is not a terminal).
#pragma once

#include <chrono>
#include <cstdint>

namespace movanta::convert {

class ProgressLine {
public:
    // `length` is the range being converted, 100 ns; 0 when unknown.
    ProgressLine(std::int64_t length, bool terminal);
    // `position` 100 ns into the range, `bytes` written so far.
    void Show(std::int64_t position, std::int64_t bytes);
    // Ends the line.
    void Finish();

private:
    std::int64_t length_;
    bool terminal_;
    bool shown_ = false;
    int lastTenth_ = -1;
    std::chrono::steady_clock::time_point begun_;
    std::chrono::steady_clock::time_point lastShown_;
};

}  // namespace movanta::convert
