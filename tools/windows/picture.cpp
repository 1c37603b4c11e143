#include "picture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr int kRadius = 28;
constexpr int kRim = 10;

// How far inside the rounded outline a pixel lies (negative: outside).
double Inside(int x, int y) {
    const double cx = std::clamp<double>(x + 0.5, kRadius, kCardWidth - kRadius);
    const double cy = std::clamp<double>(y + 0.5, kRadius, kCardHeight - kRadius);
    const double dx = x + 0.5 - cx;
    const double dy = y + 0.5 - cy;
    const double corner = kRadius - std::sqrt(dx * dx + dy * dy);
    const double edge = std::min({x + 0.5, y + 0.5, kCardWidth - x - 0.5, kCardHeight - y - 0.5});
    return std::min(corner, edge);
}

std::uint32_t Premultiplied(int alpha, int red, int green, int blue) {
    const auto scale = [alpha](int c) { return static_cast<std::uint32_t>((c * alpha + 127) / 255); };
    return (static_cast<std::uint32_t>(alpha) << 24) | (scale(red) << 16) | (scale(green) << 8) | scale(blue);
}

}  // namespace

HBITMAP MakeCardPicture(const wchar_t* text) {
    BITMAPINFO info {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kCardWidth, -kCardHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP picture = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (picture == nullptr) return nullptr;
    auto* pixels = static_cast<std::uint32_t*>(bits);
    // Text first, on an opaque dark middle; the opacity comes after.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, picture);
    HBRUSH middle = CreateSolidBrush(RGB(24, 40, 72));
    const RECT all {0, 0, kCardWidth, kCardHeight};
    FillRect(dc, &all, middle);
    DeleteObject(middle);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    RECT area {kRim + 16, kRim + 16, kCardWidth - kRim - 16, kCardHeight - kRim - 16};
    DrawTextW(dc, text, -1, &area, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, previous);
    DeleteDC(dc);
    for (int y = 0; y < kCardHeight; ++y) {
        for (int x = 0; x < kCardWidth; ++x) {
            std::uint32_t& pixel = pixels[y * kCardWidth + x];
            const double inside = Inside(x, y);
            if (inside <= 0) {
                pixel = 0;
            } else if (inside < kRim) {
                // The rim: an opaque orange, smoothed at the outline.
                pixel = Premultiplied(static_cast<int>(std::min(inside, 1.0) * 255), 240, 140, 20);
            } else {
                const bool textPixel = (pixel & 0xFFFFFF) != 0x182848;
                pixel = textPixel ? Premultiplied(255, (pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF)
                                  : Premultiplied(150, 24, 40, 72);
            }
        }
    }
    return picture;
}
