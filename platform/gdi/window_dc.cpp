// Device contexts on windows, the surfaces behind them and the default
// painting of windows.
#include <algorithm>
#include <cstring>

#include "gdi/surface.h"
#include "gdi/window_drawing.h"
#include "win/rect.h"
#include "win/window_backend.h"
#include "win/window_surface.h"

namespace movanta::gdi {
namespace {

// Owns the bitmap behind a window for as long as the window lives.
struct Surface {
    HBITMAP bitmap = nullptr;
    ~Surface() { DeleteObject(bitmap); }
};

HBITMAP NewSurfaceBitmap(int width, int height) {
    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = std::max(width, 1);
    info.bmiHeader.biHeight = -std::max(height, 1);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
}

Bitmap* BitmapOf(const std::shared_ptr<void>& surface) {
    return surface ? Live<Bitmap>(static_cast<Surface*>(surface.get())->bitmap, GdiObject::Kind::Bitmap) : nullptr;
}

// The window's surface at its client size; what was drawn stays where it was.
Bitmap* SizedSurface(HWND window) {
    RECT client {};
    if (!GetClientRect(window, &client)) return nullptr;
    const int width = std::max<int>(client.right, 1);
    const int height = std::max<int>(client.bottom, 1);
    std::shared_ptr<void> current = win::WindowSurface(window);
    Bitmap* old = BitmapOf(current);
    if (old != nullptr && old->width == width && old->height == height) return old;
    if (old != nullptr && old->selectedIn != nullptr) return old;  // a context still draws on it
    auto surface = std::make_shared<Surface>();
    surface->bitmap = NewSurfaceBitmap(width, height);
    Bitmap* fresh = BitmapOf(surface);
    if (fresh == nullptr) return old;
    if (old != nullptr) {
        const size_t bytes = static_cast<size_t>(std::min(old->width, width)) * 4;
        for (int y = 0; y < std::min(old->height, height); ++y) std::memcpy(fresh->Row(y), old->Row(y), bytes);
    }
    win::SetWindowSurface(window, surface);
    return fresh;
}

HDC ContextOn(HWND window) {
    Bitmap* bitmap = SizedSurface(window);
    if (bitmap == nullptr) return nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    if (SelectObject(dc, reinterpret_cast<HGDIOBJ>(bitmap)) == nullptr) {
        DeleteDC(dc);
        return nullptr;
    }
    return dc;
}

void Present(HWND window, const RECT& area) {
    if (win::WindowBackend* backend = win::BackendOf(window)) backend->Present(window, area);
}

void PaintByDefault(HWND window) {
    PAINTSTRUCT paint {};
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
}

// The class brush; values up to 31 are system colours (COLOR_* + 1), drawn
// as the face colour of this platform's light theme.
LRESULT EraseByDefault(HWND window, WPARAM dcValue) {
    WNDCLASSW windowClass {};
    wchar_t name[257] {};
    if (GetClassNameW(window, name, 257) == 0 || !GetClassInfoW(nullptr, name, &windowClass) ||
        windowClass.hbrBackground == nullptr) {
        return 0;
    }
    RECT client {};
    GetClientRect(window, &client);
    HDC dc = reinterpret_cast<HDC>(dcValue);
    const auto value = reinterpret_cast<UINT_PTR>(windowClass.hbrBackground);
    if (value <= 31) {
        HBRUSH face = CreateSolidBrush(RGB(0xF0, 0xF0, 0xF0));
        FillRect(dc, &client, face);
        DeleteObject(face);
    } else {
        FillRect(dc, &client, windowClass.hbrBackground);
    }
    return 1;
}

const bool kPaintingInstalled = (win::SetDefaultPainting({PaintByDefault, EraseByDefault}), true);

}  // namespace

const Bitmap* SurfaceOf(HWND window) {
    return BitmapOf(win::WindowSurface(window));
}

Bitmap* WritableSurfaceOf(HWND window) {
    return SizedSurface(window);
}

}  // namespace movanta::gdi

using namespace movanta::gdi;

HDC BeginPaint(HWND window, PAINTSTRUCT* paint) {
    if (paint == nullptr || !IsWindow(window)) return nullptr;
    *paint = PAINTSTRUCT {};
    const movanta::win::PaintRequest request = movanta::win::TakeUpdate(window);
    paint->hdc = ContextOn(window);
    paint->rcPaint = request.area;
    if (request.erase && paint->hdc != nullptr) {
        paint->fErase = SendMessageW(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint->hdc), 0) == 0;
    }
    return paint->hdc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) {
    if (paint == nullptr) return FALSE;
    if (!IsRectEmpty(&paint->rcPaint)) Present(window, paint->rcPaint);
    DeleteDC(paint->hdc);
    return TRUE;
}

HDC GetDC(HWND window) {
    return window == nullptr ? CreateCompatibleDC(nullptr) : ContextOn(window);
}

HDC GetWindowDC(HWND window) {
    return GetDC(window);
}

int ReleaseDC(HWND window, HDC dc) {
    if (window != nullptr) {
        RECT client {};
        if (GetClientRect(window, &client)) Present(window, client);
    }
    return DeleteDC(dc);
}
