#include "skin/picture_format.h"

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

movanta::gdi::Bitmap* PictureOf(HBITMAP picture) {
    return movanta::gdi::Live<movanta::gdi::Bitmap>(picture, movanta::gdi::GdiObject::Kind::Bitmap);
}

}  // namespace skinkit
