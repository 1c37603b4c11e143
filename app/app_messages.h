// The messages the application's own windows send each other.
#pragma once

#include "win/wintypes.h"

namespace movanta::app {

inline constexpr UINT WM_MEDIABAR_POS = 0x8151;     // wParam: the new position 0-100
inline constexpr UINT WM_PROGRESS_STOP = 0x8152;    // the user confirmed stopping the conversion
inline constexpr UINT WM_VOLUMEBAR_POS = 0x8153;    // wParam: the new volume 0-100
inline constexpr UINT WM_CHILDDLG_CLOSED = 0x8154;  // a child dialog was closed or confirmed

}  // namespace movanta::app
