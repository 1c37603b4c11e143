// The header of a device-independent bitmap, shared by the media framework
// (video formats) and the drawing interface.
#pragma once

#include "win/wintypes.h"

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

inline constexpr DWORD BI_RGB = 0;

// Bytes of a bitmap: rows padded to 32 bits, times the height's magnitude.
inline DWORD DibSize(LONG width, LONG height, int bitCount) {
    const long long rowBytes = ((static_cast<long long>(width) * bitCount + 31) & ~31LL) / 8;
    return static_cast<DWORD>(rowBytes * (height < 0 ? -static_cast<long long>(height) : height));
}
