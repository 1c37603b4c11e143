// The work a video decoder may leave out when it knows what a conversion
// keeps of its pictures.
#pragma once

#include "dshow/types.h"

namespace movanta::dshow {

struct DecodeShortcuts {
    // The in-loop deblocking filter: its smoothing of block edges does not
    // survive scaling to half the size or less.
    bool skipLoopFilter = false;
    // Pictures no other picture refers to and the conversion does not keep:
    // with half the pictures or fewer kept, most are thrown away anyway.
    bool skipUnreferenced = false;
};

// The shortcuts for pictures of `width` x `height` one every `frameTime`
// (upright, as delivered) of which a conversion keeps `keptWidth` x
// `keptHeight` one every `keptFrameTime`. Sizes or times of 0 are unknown
// and allow nothing.
DecodeShortcuts ShortcutsFor(LONG width, LONG height, REFERENCE_TIME frameTime, LONG keptWidth, LONG keptHeight,
                             REFERENCE_TIME keptFrameTime);

// Whether a conversion that keeps one picture every `keptFrameTime` (the
// first picture that starts at or after each multiple of it, from 0) keeps
// the picture starting at `start`, the picture before it having started at
// `previousStart`.
bool MayBeKept(REFERENCE_TIME start, REFERENCE_TIME previousStart, REFERENCE_TIME keptFrameTime);

}  // namespace movanta::dshow
