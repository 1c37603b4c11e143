// The flags of a sample carried onto the sample a filter makes from it,
// each by its query's answer: S_OK sets the flag, S_FALSE clears it, and
// any other answer is an error of the sample.
#pragma once

#include "dshow/interfaces.h"

namespace movanta::dshow {

enum class SampleFlag { kSyncPoint, kPreroll, kDiscontinuity };

// False when the input's query answered neither S_OK nor S_FALSE.
bool CopySampleFlag(IMediaSample* in, IMediaSample* out, SampleFlag flag);
// The sync-point, preroll and discontinuity flags in that order; false at
// the first that cannot be copied.
bool CopySampleFlags(IMediaSample* in, IMediaSample* out);

}  // namespace movanta::dshow
