// The demonstration window's picture: a rounded card whose every pixel has
// its own opacity (a solid rim, a half-transparent middle, clear corners),
// with a text, as a 32-bit premultiplied bitmap.
#pragma once

#include "gdi/wingdi.h"

inline constexpr int kCardWidth = 360;
inline constexpr int kCardHeight = 220;

// The caller deletes the bitmap.
HBITMAP MakeCardPicture(const wchar_t* text);
