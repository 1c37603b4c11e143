#include "pcm_level.h"

#include <algorithm>
#include <cstdlib>

namespace movanta::outside {

LONG PeakLevel(const std::uint8_t* pcm, long bytes, int bitsPerSample) {
    int peak = 0;
    if (bitsPerSample == 16) {
        const auto* samples = reinterpret_cast<const std::int16_t*>(pcm);
        for (long i = 0; i < bytes / 2; ++i) peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
    } else {
        for (long i = 0; i < bytes; ++i) peak = std::max(peak, std::abs((pcm[i] - 128) * 256));
    }
    return std::min(peak, 32767);
}

}  // namespace movanta::outside
