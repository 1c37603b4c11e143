// Pictures for the tests: top-down DIB sections with a grey colour table.
#pragma once

#include <cstdint>

#include "gdi/gdi_objects.h"
#include "gdi/wingdi.h"

// Every byte of the pixels is `fill`.
HBITMAP FilledPicture(int width, int height, int bitCount, std::uint8_t fill);
// The pixel at (x, y) of a 32-bit DIB section as it is stored.
std::uint32_t PixelAt(HBITMAP picture, int x, int y);
// The composition of a registered canvas window.
const movanta::gdi::Bitmap* CompositionOf(HWND canvas);
