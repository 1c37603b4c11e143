#include "gdi/image_list.h"

#include "gdi/pixel_ops.h"

using namespace movanta::gdi;

namespace {

ImageList* ListOf(HIMAGELIST list) {
    return Live<ImageList>(list, GdiObject::Kind::ImageList);
}

Pixel Over(Pixel source, Pixel destination) {
    const Pixel alpha = source >> 24;
    Pixel out = destination & 0xFF000000;
    for (int shift = 0; shift < 24; shift += 8) {
        const Pixel s = (source >> shift) & 0xFF;
        const Pixel d = (destination >> shift) & 0xFF;
        out |= ((s * alpha + d * (255 - alpha) + 127) / 255) << shift;
    }
    return out;
}

}  // namespace

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int, int) {
    if (cx <= 0 || cy <= 0) return nullptr;
    return Register<HIMAGELIST>(new ImageList(cx, cy, flags));
}

BOOL ImageList_Destroy(HIMAGELIST list) {
    ImageList* found = ListOf(list);
    if (found == nullptr) return FALSE;
    Destroy(found);
    return TRUE;
}

int ImageList_GetImageCount(HIMAGELIST list) {
    const ImageList* found = ListOf(list);
    return found != nullptr ? static_cast<int>(found->images.size()) : 0;
}

int ImageList_AddMasked(HIMAGELIST list, HBITMAP bitmapHandle, COLORREF mask) {
    ImageList* found = ListOf(list);
    const Bitmap* bitmap = Live<Bitmap>(bitmapHandle, GdiObject::Kind::Bitmap);
    if (found == nullptr || bitmap == nullptr) return -1;
    const int first = static_cast<int>(found->images.size());
    const bool masked = (found->flags & ILC_MASK) != 0;
    const bool alpha = (found->flags & ILC_COLOR32) == ILC_COLOR32 && bitmap->bitCount == 32;
    const Pixel maskPixel = FromColour(mask);
    const int frames = std::max(1, bitmap->width / found->width);
    for (int frame = 0; frame < frames; ++frame) {
        Masked image;
        image.width = found->width;
        image.height = found->height;
        image.alpha = alpha;
        image.pixels.assign(static_cast<size_t>(image.width * image.height), 0);
        image.clear.assign(image.pixels.size(), false);
        for (int y = 0; y < std::min(image.height, bitmap->height); ++y) {
            for (int x = 0; x < image.width && frame * image.width + x < bitmap->width; ++x) {
                const Pixel pixel = bitmap->Read(frame * image.width + x, y);
                const size_t at = static_cast<size_t>(y * image.width + x);
                image.clear[at] = masked && (pixel & 0x00FFFFFF) == maskPixel;
                image.pixels[at] = image.clear[at] ? 0 : (alpha ? pixel : pixel | 0xFF000000);
            }
        }
        found->images.push_back(std::move(image));
    }
    return first;
}

HICON ImageList_GetIcon(HIMAGELIST list, int index, UINT) {
    const ImageList* found = ListOf(list);
    if (found == nullptr || index < 0 || index >= static_cast<int>(found->images.size())) return nullptr;
    return Register<HICON>(new Icon(found->images[static_cast<size_t>(index)]));
}

BOOL DrawIconEx(HDC handle, int x, int y, HICON iconHandle, int cx, int cy, UINT, HBRUSH, UINT) {
    Dc* dc = Live<Dc>(handle, GdiObject::Kind::Dc);
    const Icon* icon = Live<Icon>(iconHandle, GdiObject::Kind::Icon);
    if (dc == nullptr || icon == nullptr) return FALSE;
    const Masked& picture = icon->picture;
    if (cx <= 0) cx = picture.width;
    if (cy <= 0) cy = picture.height;
    Bitmap& target = *dc->bitmap;
    int left = x;
    int top = y;
    int width = cx;
    int height = cy;
    if (!ClipTo(target, left, top, width, height)) return TRUE;
    for (int row = top; row < top + height; ++row) {
        const int sourceY = (row - y) * picture.height / cy;
        for (int column = left; column < left + width; ++column) {
            const size_t at = static_cast<size_t>(sourceY * picture.width + (column - x) * picture.width / cx);
            if (picture.clear[at]) continue;
            const Pixel under = target.Read(column, row);
            const Pixel pixel = picture.pixels[at];
            target.Write(column, row, picture.alpha ? Over(pixel, under) : (under & 0xFF000000) | (pixel & 0x00FFFFFF));
        }
    }
    return TRUE;
}

BOOL DestroyIcon(HICON icon) {
    Icon* found = Live<Icon>(icon, GdiObject::Kind::Icon);
    if (found == nullptr) return FALSE;
    Destroy(found);
    return TRUE;
}
