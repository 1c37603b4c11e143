// Pictures for the tests: top-down DIB sections with a grey colour table.
#pragma once

#include <cstdint>

#include "gdi/wingdi.h"

// Every byte of the pixels is `fill`.
HBITMAP FilledPicture(int width, int height, int bitCount, std::uint8_t fill);
