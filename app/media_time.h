// Media times as the windows write them.
#pragma once

#include <cstdint>
#include <string>

namespace movanta::app {

// "mm:ss" below an hour, "h:mm:ss" from an hour on; whole seconds of a
// 100 ns time (negative times read as 0).
std::wstring MediaTimeText(std::int64_t time);

}  // namespace movanta::app
