// Which frame of a button's picture strip shows for its state.
#pragma once

#include "win/wintypes.h"

inline constexpr DWORD BUTTON_DOWN = 0x1;  // pressed, or ticked
inline constexpr DWORD BUTTON_HOVER = 0x2;
inline constexpr DWORD BUTTON_DISABLED = 0x10000000;
inline constexpr DWORD BUTTON_HIDDEN = 0x20000000;

// The frame index, or -1 when nothing is drawn (hidden). Disabled shows
// frame 3 on strips of four or more frames, else 0; down 1; hover 2 (never
// on two-frame strips); otherwise 0. A frame the strip does not have falls
// back to frame 0.
int ButtonFrame(DWORD state, int frameCount);
