#include "skin/canvas/picture_format.h"

#include <cstring>
#include <vector>

namespace skinkit {

HBITMAP NewPictureLike(const movanta::gdi::Bitmap& like, CSize size) {
    std::vector<std::uint8_t> header(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    auto* info = reinterpret_cast<BITMAPINFO*>(header.data());
    const size_t colours = std::min<size_t>(like.palette.size(), 256);
    info->bmiHeader = {sizeof(BITMAPINFOHEADER),
                       size.cx,
                       like.topDown ? -size.cy : size.cy,
                       1,
                       static_cast<WORD>(like.bitCount),
                       BI_RGB,
                       0,
                       0,
                       0,
                       static_cast<DWORD>(colours),
                       0};
    if (colours > 0) std::memcpy(info->bmiColors, like.palette.data(), colours * sizeof(RGBQUAD));
    return CreateDIBSection(nullptr, info, DIB_RGB_COLORS, nullptr, nullptr, 0);
}

HBITMAP NewPicture32(CSize size, std::uint32_t*& pixels) {
    BITMAPINFO info {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP picture = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    pixels = static_cast<std::uint32_t*>(bits);
    return picture;
}

movanta::gdi::Bitmap* PictureOf(HBITMAP picture) {
    return movanta::gdi::Live<movanta::gdi::Bitmap>(picture, movanta::gdi::GdiObject::Kind::Bitmap);
}

void CopyArea(const movanta::gdi::Bitmap& from, CPoint origin, movanta::gdi::Bitmap& to, const CRect& area) {
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            const int sx = origin.x + x - area.left;
            const int sy = origin.y + y - area.top;
            if (sx < 0 || sy < 0 || sx >= from.width || sy >= from.height) continue;
            if (x < 0 || y < 0 || x >= to.width || y >= to.height) continue;
            to.Write(x, y, from.Read(sx, sy));
        }
    }
}

void MakeOpaque(movanta::gdi::Bitmap& picture, const CRect& box) {
    if (picture.bitCount != 32) return;
    CRect shown;
    shown.IntersectRect(box, CRect(0, 0, picture.width, picture.height));
    for (int y = shown.top; y < shown.bottom; ++y) {
        for (int x = shown.left; x < shown.right; ++x) picture.Write(x, y, picture.Read(x, y) | 0xFF000000u);
    }
}

}  // namespace skinkit
