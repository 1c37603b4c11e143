// The peak of a run of 8- or 16-bit PCM, on the 16-bit scale (0 to 32767).
#pragma once

#include <cstdint>

#include "dshow/types.h"

namespace movanta::outside {

LONG PeakLevel(const std::uint8_t* pcm, long bytes, int bitsPerSample);

}  // namespace movanta::outside
