#include "skin/canvas/canvas_picture.h"

#include <algorithm>
#include <cstring>

#include "skin/canvas/picture_format.h"

using movanta::gdi::Bitmap;

namespace {

int MaskByte(const Bitmap& mask, int x, int y) {
    return mask.bitCount == 8 ? mask.Row(y)[x] : static_cast<int>(mask.Read(x, y) & 0xFF);
}

}  // namespace

CRect OpaqueBox(HBITMAP handle) {
    const Bitmap* picture = skinkit::PictureOf(handle);
    if (picture == nullptr || picture->bitCount != 32) return CRect();
    int left = picture->width;
    int top = picture->height;
    int right = 0;
    int bottom = 0;
    for (int y = 0; y < picture->height; ++y) {
        const std::uint8_t* row = picture->Row(y);
        for (int x = 0; x < picture->width; ++x) {
            if (row[4 * x + 3] != 255) continue;
            left = std::min(left, x);
            right = std::max(right, x + 1);
            top = std::min(top, y);
            bottom = std::max(bottom, y + 1);
        }
    }
    return right > left ? CRect(left, top, right, bottom) : CRect();
}

CanvasPicture BuildCanvasPicture(HBITMAP imageHandle, HBITMAP maskHandle) {
    CanvasPicture result;
    const Bitmap* image = skinkit::PictureOf(imageHandle);
    if (image == nullptr) return result;
    const CSize size(image->width, image->height);
    const Bitmap* mask = skinkit::PictureOf(maskHandle);
    if (maskHandle != nullptr) {
        if (mask == nullptr || mask->width != size.cx || mask->height != size.cy) return result;
        BITMAPINFO info {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        result.picture = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
        Bitmap* picture = skinkit::PictureOf(result.picture);
        if (picture == nullptr) return result;
        for (int y = 0; y < size.cy; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(picture->Row(y));
            for (int x = 0; x < size.cx; ++x) {
                row[x] = (image->Read(x, y) & 0x00FFFFFFu) | (static_cast<std::uint32_t>(MaskByte(*mask, x, y)) << 24);
            }
        }
        result.perPixel = true;
        result.opaque = OpaqueBox(result.picture);
        return result;
    }
    result.picture = skinkit::NewPictureLike(*image, size);
    Bitmap* copy = skinkit::PictureOf(result.picture);
    if (copy == nullptr) return result;
    std::memcpy(copy->bits.get(), image->bits.get(), image->stride * static_cast<size_t>(image->height));
    result.opaque = CRect(0, 0, size.cx, size.cy);
    return result;
}
