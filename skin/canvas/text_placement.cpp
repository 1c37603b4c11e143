#include "skin/canvas/text_placement.h"

#include <algorithm>
#include <vector>

namespace {

constexpr UINT kCentre = 0x1;   // DT_CENTER
constexpr UINT kRight = 0x2;    // DT_RIGHT
constexpr UINT kVCentre = 0x4;  // DT_VCENTER
constexpr UINT kBottom = 0x8;   // DT_BOTTOM

}  // namespace

CRect PlaceTextBox(CSize measured, const CRect& rect, UINT format, bool soft) {
    int left = rect.left;
    int top = rect.top;
    if ((format & kCentre) != 0) {
        left += (rect.Width() - measured.cx) / 2;
    } else if ((format & kRight) != 0) {
        left = rect.right - measured.cx;
    }
    if ((format & kVCentre) != 0) {
        top += (rect.Height() - measured.cy) / 2;
    } else if ((format & kBottom) != 0) {
        top = rect.bottom - measured.cy;
    }
    CRect box(left, top, left + measured.cx, top + measured.cy);
    if (!soft) return box;
    box.InflateRect(1, 1);
    const int dx = (format & kCentre) != 0 ? 0 : ((format & kRight) != 0 ? 1 : -1);
    const int dy = (format & kVCentre) != 0 ? 0 : ((format & kBottom) != 0 ? 1 : -1);
    box.OffsetRect(dx, dy);
    CRect clipped;
    clipped.IntersectRect(box, rect);
    return clipped;
}

void SoftenPixels(std::uint8_t* pixels, int width, int height, std::size_t stride, int bytesPerPixel) {
    if (pixels == nullptr || width <= 0 || height <= 0 || bytesPerPixel < 3) return;
    const std::vector<std::uint8_t> source(pixels, pixels + stride * static_cast<std::size_t>(height - 1) +
                                                       static_cast<std::size_t>(width * bytesPerPixel));
    const auto at = [&](int x, int y, int channel) -> int {
        x = std::clamp(x, 0, width - 1);
        y = std::clamp(y, 0, height - 1);
        return source[stride * static_cast<std::size_t>(y) + static_cast<std::size_t>(x * bytesPerPixel + channel)];
    };
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = pixels + stride * static_cast<std::size_t>(y);
        for (int x = 0; x < width; ++x) {
            for (int channel = 0; channel < 3; ++channel) {
                const int sum = 2 * at(x, y, channel) + at(x + 1, y, channel) + 2 * at(x, y - 1, channel) +
                                at(x + 1, y - 1, channel) + 2 * at(x, y + 1, channel) + at(x + 1, y + 1, channel);
                row[x * bytesPerPixel + channel] = static_cast<std::uint8_t>(sum / 9);
            }
        }
    }
}
