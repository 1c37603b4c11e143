// Memory device contexts, their attributes, brushes and fills.
#include "gdi/gdi_objects.h"
#include "gdi/pixel_ops.h"

using namespace movanta::gdi;

namespace {

constexpr int kDotsPerInch = 96;

Dc* DcOf(HDC dc) {
    return Live<Dc>(dc, GdiObject::Kind::Dc);
}

}  // namespace

HDC CreateCompatibleDC(HDC) {
    auto* dc = new Dc;
    Register<HBITMAP>(dc->initial.get());
    return Register<HDC>(dc);
}

BOOL DeleteDC(HDC handle) {
    Dc* dc = DcOf(handle);
    if (dc == nullptr) return FALSE;
    Bitmap* own = dc->initial.release();
    own->selectedIn = nullptr;
    if (dc->bitmap == own) dc->bitmap = nullptr;
    Destroy(own);
    Destroy(dc);
    return TRUE;
}

HGDIOBJ SelectObject(HDC handle, HGDIOBJ object) {
    Dc* dc = DcOf(handle);
    if (dc == nullptr) return nullptr;
    if (Bitmap* bitmap = Live<Bitmap>(object, GdiObject::Kind::Bitmap)) {
        if (bitmap->selectedIn != nullptr && bitmap->selectedIn != dc) return nullptr;
        Bitmap* previous = dc->bitmap;
        previous->selectedIn = nullptr;
        bitmap->selectedIn = dc;
        dc->bitmap = bitmap;
        return reinterpret_cast<HGDIOBJ>(previous);
    }
    if (Find(object, GdiObject::Kind::Brush) != nullptr) {
        const HGDIOBJ previous = dc->brush;
        dc->brush = object;
        return previous;
    }
    if (Find(object, GdiObject::Kind::Font) != nullptr) {
        const HGDIOBJ previous = dc->font;
        dc->font = object;
        return previous;
    }
    return nullptr;
}

COLORREF SetTextColor(HDC handle, COLORREF colour) {
    Dc* dc = DcOf(handle);
    if (dc == nullptr) return CLR_INVALID;
    const COLORREF previous = dc->textColour;
    dc->textColour = colour;
    return previous;
}

COLORREF GetTextColor(HDC handle) {
    const Dc* dc = DcOf(handle);
    return dc != nullptr ? dc->textColour : CLR_INVALID;
}

int SetBkMode(HDC handle, int mode) {
    Dc* dc = DcOf(handle);
    if (dc == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    const int previous = dc->backgroundMode;
    dc->backgroundMode = mode;
    return previous;
}

int GetBkMode(HDC handle) {
    const Dc* dc = DcOf(handle);
    return dc != nullptr ? dc->backgroundMode : 0;
}

int SetStretchBltMode(HDC handle, int mode) {
    Dc* dc = DcOf(handle);
    if (dc == nullptr || mode < BLACKONWHITE || mode > HALFTONE) return 0;
    const int previous = dc->stretchMode;
    dc->stretchMode = mode;
    return previous;
}

int GetStretchBltMode(HDC handle) {
    const Dc* dc = DcOf(handle);
    return dc != nullptr ? dc->stretchMode : 0;
}

int GetDeviceCaps(HDC, int index) {
    return index == LOGPIXELSX || index == LOGPIXELSY ? kDotsPerInch : 0;
}

HBRUSH CreateSolidBrush(COLORREF colour) {
    return Register<HBRUSH>(new Brush(colour));
}

int FillRect(HDC handle, const RECT* rect, HBRUSH brushHandle) {
    Dc* dc = DcOf(handle);
    const Brush* brush = Live<Brush>(brushHandle, GdiObject::Kind::Brush);
    if (dc == nullptr || rect == nullptr || brush == nullptr) return FALSE;
    const Pixel colour = FromColour(brush->colour);
    ForEachPixel(*dc->bitmap, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
                 [&](Pixel) { return colour; });
    return TRUE;
}

BOOL PatBlt(HDC handle, int x, int y, int width, int height, DWORD rop) {
    Dc* dc = DcOf(handle);
    if (dc == nullptr) return FALSE;
    const Brush* brush = Live<Brush>(dc->brush, GdiObject::Kind::Brush);
    const Pixel pattern = brush != nullptr ? FromColour(brush->colour) : 0;
    switch (rop) {
        case PATCOPY: return ForEachPixel(*dc->bitmap, x, y, width, height, [&](Pixel) { return pattern; });
        case PATINVERT: return ForEachPixel(*dc->bitmap, x, y, width, height, [&](Pixel p) { return p ^ pattern; });
        case DSTINVERT: return ForEachPixel(*dc->bitmap, x, y, width, height, [](Pixel p) { return p ^ 0xFFFFFF; });
        case BLACKNESS: return ForEachPixel(*dc->bitmap, x, y, width, height, [](Pixel) { return Pixel {0}; });
        case WHITENESS: return ForEachPixel(*dc->bitmap, x, y, width, height, [](Pixel) { return Pixel {0xFFFFFF}; });
        default: return FALSE;
    }
}
