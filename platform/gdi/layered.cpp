// Layered windows and window regions.
#include <algorithm>
#include <utility>

#include "gdi/surface.h"
#include "gdi/window_drawing.h"
#include "win/window_backend.h"
#include "win/window_surface.h"

namespace movanta::gdi {
namespace {

bool IsLayered(HWND window) {
    return (static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)) & WS_EX_LAYERED) != 0;
}

Pixel Premultiplied(Pixel pixel) {
    const Pixel alpha = pixel >> 24;
    const Pixel red = (pixel >> 16) & 0xFF;
    const Pixel green = (pixel >> 8) & 0xFF;
    const Pixel blue = pixel & 0xFF;
    if (red <= alpha && green <= alpha && blue <= alpha) return pixel;
    const auto scale = [alpha](Pixel c) { return (c * alpha + 127) / 255; };
    return (alpha << 24) | (scale(red) << 16) | (scale(green) << 8) | scale(blue);
}

}  // namespace
}  // namespace movanta::gdi

using namespace movanta;
using namespace movanta::gdi;

BOOL UpdateLayeredWindow(HWND window, HDC, POINT* position, SIZE* size, HDC source, POINT* sourceOrigin, COLORREF key,
                         BLENDFUNCTION* blend, DWORD flags) {
    if (!IsWindow(window) || !IsLayered(window) || (size != nullptr && (size->cx < 0 || size->cy < 0))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (position != nullptr || size != nullptr) {
        RECT rect {};
        GetWindowRect(window, &rect);
        const POINT at = position != nullptr ? *position : POINT {rect.left, rect.top};
        const SIZE extent = size != nullptr ? *size : SIZE {rect.right - rect.left, rect.bottom - rect.top};
        SetWindowPos(window, nullptr, at.x, at.y, extent.cx, extent.cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
    const bool perPixel = (flags & ULW_ALPHA) != 0 && blend != nullptr && (blend->AlphaFormat & AC_SRC_ALPHA) != 0;
    const BYTE alpha = (flags & ULW_ALPHA) != 0 && blend != nullptr ? blend->SourceConstantAlpha : 255;
    if (source != nullptr) {
        const Dc* dc = Live<Dc>(source, GdiObject::Kind::Dc);
        Bitmap* surface = WritableSurfaceOf(window);
        if (dc == nullptr || surface == nullptr) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        const Bitmap& from = *dc->bitmap;
        const POINT origin = sourceOrigin != nullptr ? *sourceOrigin : POINT {0, 0};
        const bool sourceAlpha = perPixel && from.bitCount == 32;
        const Pixel keyPixel = FromColour(key) & 0x00FFFFFF;
        for (int y = 0; y < surface->height; ++y) {
            auto* row = reinterpret_cast<Pixel*>(surface->Row(y));
            for (int x = 0; x < surface->width; ++x) {
                const int sx = origin.x + x;
                const int sy = origin.y + y;
                Pixel pixel = 0;
                if (sx >= 0 && sy >= 0 && sx < from.width && sy < from.height) {
                    pixel = from.Read(sx, sy);
                    if ((flags & ULW_COLORKEY) != 0 && (pixel & 0x00FFFFFF) == keyPixel) {
                        pixel = 0;
                    } else {
                        pixel = sourceAlpha ? Premultiplied(pixel) : (pixel | 0xFF000000);
                    }
                }
                row[x] = pixel;
            }
        }
    }
    win::SetLayering(window, {alpha, perPixel || (flags & ULW_COLORKEY) != 0});
    RECT client {};
    GetClientRect(window, &client);
    if (win::WindowBackend* backend = win::BackendOf(window)) backend->Present(window, client);
    return TRUE;
}

BOOL SetLayeredWindowAttributes(HWND window, COLORREF, BYTE alpha, DWORD flags) {
    if (!IsWindow(window) || !IsLayered(window)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    win::SetLayering(window, {(flags & LWA_ALPHA) != 0 ? alpha : BYTE {255}, false});
    return TRUE;
}

int SetWindowRgn(HWND window, HRGN regionHandle, BOOL redraw) {
    if (!IsWindow(window)) return 0;
    Region* region = Live<Region>(regionHandle, GdiObject::Kind::Region);
    if (regionHandle != nullptr && region == nullptr) return 0;
    if (region != nullptr) {
        win::SetWindowShape(window, region->rects, true);
        DeleteObject(regionHandle);
    } else {
        win::SetWindowShape(window, {}, false);
    }
    if (redraw) InvalidateRect(window, nullptr, TRUE);
    return 1;
}
