// Copies, stretches and alpha blending between device contexts.
#include <cstring>

#include "gdi/pixel_ops.h"

using namespace movanta::gdi;

namespace {

struct Pair {
    Bitmap* destination;
    const Bitmap* source;
};

bool Pick(HDC destination, HDC source, Pair& pair) {
    const Dc* to = Live<Dc>(destination, GdiObject::Kind::Dc);
    const Dc* from = Live<Dc>(source, GdiObject::Kind::Dc);
    if (to == nullptr || from == nullptr || to->bitmap == nullptr || from->bitmap == nullptr) return false;
    pair = {to->bitmap, from->bitmap};
    return true;
}

bool SameFormat(const Bitmap& a, const Bitmap& b) {
    if (a.bitCount != b.bitCount) return false;
    if (a.bitCount > 8) return true;
    return a.palette.size() == b.palette.size() &&
           std::memcmp(a.palette.data(), b.palette.data(), a.palette.size() * sizeof(RGBQUAD)) == 0;
}

Pixel Channel(Pixel pixel, int shift) {
    return (pixel >> shift) & 0xFF;
}

// Source over destination: the source weighted by the constant alpha, and
// with per-pixel alpha the destination kept by what the (premultiplied)
// source leaves.
Pixel Blend(Pixel source, Pixel destination, int constant, bool perPixel) {
    const Pixel keep = perPixel ? 255 - (Channel(source, 24) * constant + 127) / 255 : 255 - constant;
    Pixel out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const Pixel mixed = (Channel(source, shift) * constant + Channel(destination, shift) * keep + 127) / 255;
        out |= std::min<Pixel>(mixed, 255) << shift;
    }
    return out;
}

// The mean of the source pixels in [x0, x1) x [y0, y1), at least one.
Pixel Average(const Bitmap& source, int x0, int x1, int y0, int y1) {
    x1 = std::max(x1, x0 + 1);
    y1 = std::max(y1, y0 + 1);
    Pixel sums[4] = {0, 0, 0, 0};
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const Pixel pixel = source.Read(x, y);
            for (int c = 0; c < 4; ++c) sums[c] += Channel(pixel, 8 * c);
        }
    }
    const auto count = static_cast<Pixel>((x1 - x0) * (y1 - y0));
    Pixel out = 0;
    for (int c = 0; c < 4; ++c) out |= ((sums[c] + count / 2) / count) << (8 * c);
    return out;
}

// Calls draw(destination x, y, source x0, x1, y0, y1) for every destination
// pixel of the clipped rectangle whose source area lies in the source
// bitmap; source column of destination column i: sx + i * sw / dw.
template <class Draw>
void Map(const Pair& pair, int x, int y, int width, int height, int sx, int sy, int sw, int sh, Draw draw) {
    int cx = x;
    int cy = y;
    int cw = width;
    int ch = height;
    if (!ClipTo(*pair.destination, cx, cy, cw, ch)) return;
    for (int row = cy; row < cy + ch; ++row) {
        const long long i = row - y;
        const int y0 = sy + static_cast<int>(i * sh / height);
        const int y1 = sy + static_cast<int>((i + 1) * sh / height);
        if (y0 < 0 || y0 >= pair.source->height) continue;
        for (int column = cx; column < cx + cw; ++column) {
            const long long j = column - x;
            const int x0 = sx + static_cast<int>(j * sw / width);
            const int x1 = sx + static_cast<int>((j + 1) * sw / width);
            if (x0 < 0 || x0 >= pair.source->width) continue;
            draw(column, row, x0, std::min(x1, pair.source->width), y0, std::min(y1, pair.source->height));
        }
    }
}

}  // namespace

BOOL BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int sx, int sy, DWORD rop) {
    Pair pair {};
    if (rop != SRCCOPY || !Pick(destination, source, pair)) return FALSE;
    // Clip against both bitmaps, keeping the two rectangles aligned.
    const int left = std::max({x, 0, x - sx});
    const int top = std::max({y, 0, y - sy});
    const int right = std::min({x + width, pair.destination->width, x - sx + pair.source->width});
    const int bottom = std::min({y + height, pair.destination->height, y - sy + pair.source->height});
    if (width <= 0 || height <= 0 || right <= left || bottom <= top) return TRUE;
    const int dx = sx - x;
    const int dy = sy - y;
    Bitmap& to = *pair.destination;
    const Bitmap& from = *pair.source;
    if (SameFormat(to, from) && to.bitCount >= 8) {
        const size_t pixelBytes = static_cast<size_t>(to.bitCount / 8);
        for (int row = top; row < bottom; ++row) {
            std::memmove(to.Row(row) + pixelBytes * static_cast<size_t>(left),
                         from.Row(row + dy) + pixelBytes * static_cast<size_t>(left + dx),
                         pixelBytes * static_cast<size_t>(right - left));
        }
        return TRUE;
    }
    const bool indices = SameFormat(to, from);
    for (int row = top; row < bottom; ++row) {
        for (int column = left; column < right; ++column) {
            if (indices) {
                to.SetIndex(column, row, from.Index(column + dx, row + dy));
            } else {
                to.Write(column, row, from.Read(column + dx, row + dy) & 0x00FFFFFF);
            }
        }
    }
    return TRUE;
}

BOOL StretchBlt(HDC destination, int x, int y, int width, int height, HDC source, int sx, int sy, int sw, int sh,
                DWORD rop) {
    if (width == sw && height == sh) return BitBlt(destination, x, y, width, height, source, sx, sy, rop);
    Pair pair {};
    if (rop != SRCCOPY || width <= 0 || height <= 0 || sw <= 0 || sh <= 0 || !Pick(destination, source, pair))
        return FALSE;
    const bool average = GetStretchBltMode(destination) == HALFTONE;
    const bool keepAlpha = pair.destination->bitCount == 32 && pair.source->bitCount == 32;
    Map(pair, x, y, width, height, sx, sy, sw, sh, [&](int column, int row, int x0, int x1, int y0, int y1) {
        const Pixel pixel = average ? Average(*pair.source, x0, x1, y0, y1) : pair.source->Read(x0, y0);
        pair.destination->Write(column, row, keepAlpha ? pixel : pixel & 0x00FFFFFF);
    });
    return TRUE;
}

BOOL AlphaBlend(HDC destination, int x, int y, int width, int height, HDC source, int sx, int sy, int sw, int sh,
                BLENDFUNCTION blend) {
    Pair pair {};
    if (blend.BlendOp != AC_SRC_OVER || width <= 0 || height <= 0 || sw <= 0 || sh <= 0 ||
        !Pick(destination, source, pair))
        return FALSE;
    const bool perPixel = (blend.AlphaFormat & AC_SRC_ALPHA) != 0;
    if (sx < 0 || sy < 0 || sx + sw > pair.source->width || sy + sh > pair.source->height ||
        (perPixel && pair.source->bitCount != 32))
        return FALSE;
    Map(pair, x, y, width, height, sx, sy, sw, sh, [&](int column, int row, int x0, int, int y0, int) {
        const Pixel under = pair.destination->Read(column, row);
        pair.destination->Write(column, row,
                                Blend(pair.source->Read(x0, y0), under, blend.SourceConstantAlpha, perPixel));
    });
    return TRUE;
}
