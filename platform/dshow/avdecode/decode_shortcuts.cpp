#include "decode_shortcuts.h"

#include <algorithm>

namespace movanta::dshow {

DecodeShortcuts ShortcutsFor(LONG width, LONG height, REFERENCE_TIME frameTime, LONG keptWidth, LONG keptHeight,
                             REFERENCE_TIME keptFrameTime) {
    DecodeShortcuts shortcuts;
    shortcuts.skipLoopFilter = keptWidth > 0 && keptHeight > 0 && 2 * keptWidth <= width && 2 * keptHeight <= height;
    shortcuts.skipUnreferenced = frameTime > 0 && keptFrameTime >= 2 * frameTime;
    return shortcuts;
}

bool MayBeKept(REFERENCE_TIME start, REFERENCE_TIME previousStart, REFERENCE_TIME keptFrameTime) {
    if (start < 0) return false;  // the run-up to a seek target
    if (keptFrameTime <= 0) return true;
    // The first kept time after the previous picture started.
    const REFERENCE_TIME from = std::max<REFERENCE_TIME>(previousStart + 1, 0);
    const REFERENCE_TIME next = (from + keptFrameTime - 1) / keptFrameTime * keptFrameTime;
    return next <= start;
}

}  // namespace movanta::dshow
