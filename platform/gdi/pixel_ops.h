// Clipping and per-pixel work shared by the fills and copies.
#pragma once

#include <algorithm>

#include "gdi/gdi_objects.h"

namespace movanta::gdi {

// The part of the rectangle (x, y, width, height) inside the bitmap; false
// when nothing is left.
inline bool ClipTo(const Bitmap& bitmap, int& x, int& y, int& width, int& height) {
    const int left = std::max(x, 0);
    const int top = std::max(y, 0);
    const int right = std::min(x + width, bitmap.width);
    const int bottom = std::min(y + height, bitmap.height);
    if (width <= 0 || height <= 0 || right <= left || bottom <= top) return false;
    x = left;
    y = top;
    width = right - left;
    height = bottom - top;
    return true;
}

// Replaces each pixel of the clipped rectangle by change(pixel).
template <class Change>
BOOL ForEachPixel(Bitmap& bitmap, int x, int y, int width, int height, Change change) {
    if (!ClipTo(bitmap, x, y, width, height)) return TRUE;
    for (int row = y; row < y + height; ++row) {
        for (int column = x; column < x + width; ++column) bitmap.Write(column, row, change(bitmap.Read(column, row)));
    }
    return TRUE;
}

}  // namespace movanta::gdi
