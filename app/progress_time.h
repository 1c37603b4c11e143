// What the progress dialog shows for a conversion's progress.
#pragma once

#include <cstdint>
#include <string>

namespace movanta::app {

struct ConversionProgress {
    int percent = 0;            // of the range done
    std::wstring remaining;     // "mm:ss", or "hh:mm:ss" from an hour on
};

// The progress of a range of `length` (100 ns) at `position` (100 ns),
// `elapsed` milliseconds after it started: the remaining time is what the
// rest takes at the pace so far, with nothing done counted as one
// millisecond; a hundred hours or more reads as nothing left. A length of
// 0 (not known) gives 0 % and "--:--".
ConversionProgress ProgressOf(std::int64_t length, std::int64_t position, std::uint32_t elapsed);

}  // namespace movanta::app
