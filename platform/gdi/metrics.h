// The system metrics and parameters the skinned windows ask for: screen
// size, the sizing frame, the work area (the screen less panels) and the
// font of icon titles. Read from Qt's primary screen; without one, a
// 1024 x 768 screen.
#pragma once

#include "gdi/wingdi.h"

inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;
// 0: the desktop swaps the buttons itself before reporting them, so the
// logical left button is always the primary one here.
inline constexpr int SM_SWAPBUTTON = 23;
inline constexpr int SM_CXFRAME = 32;
inline constexpr int SM_CYFRAME = 33;
inline constexpr UINT SPI_GETICONTITLELOGFONT = 0x001F;
inline constexpr UINT SPI_GETWORKAREA = 0x0030;

// 0 for a metric not kept.
int GetSystemMetrics(int index);
// SPI_GETWORKAREA fills a RECT, SPI_GETICONTITLELOGFONT a LOGFONTW; FALSE
// for other actions or a null output.
BOOL SystemParametersInfoW(UINT action, UINT parameter, void* out, UINT update);
