// Delivers a run of PCM through an output pin, cut into the pin's buffers,
// each with the times of the samples it holds.
#pragma once

#include <cstdint>

#include "dshow/filter.h"

namespace movanta::dshow {

struct PcmShape {
    int rate;        // frames a second
    int blockBytes;  // bytes of one frame (all channels)
};

// `bytes` is a whole number of frames; `start` the time of the first.
HRESULT DeliverPcm(CBaseOutputPin& pin, IMemAllocator* allocator, const PcmShape& shape, const std::uint8_t* pcm,
                   long bytes, REFERENCE_TIME start);

}  // namespace movanta::dshow
