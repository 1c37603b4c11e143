// Drawing on windows: paint and window device contexts, layered windows and
// window regions. A window's pixels live in a 32-bit surface of its client
// size that the windowing back end shows; drawing through these contexts
// changes the surface and ending the drawing presents it.
#pragma once

#include "gdi/wingdi.h"

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;  // the background still needs erasing (WM_ERASEBKGND answered 0)
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};

inline constexpr DWORD ULW_COLORKEY = 0x00000001;
inline constexpr DWORD ULW_ALPHA = 0x00000002;
inline constexpr DWORD ULW_OPAQUE = 0x00000004;
inline constexpr DWORD LWA_COLORKEY = 0x00000001;
inline constexpr DWORD LWA_ALPHA = 0x00000002;

// Validates the update area, sends WM_ERASEBKGND when it asked for erasing,
// and answers a context on the window's surface.
HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
// Presents the painted area.
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);
// A context on the window's surface (GetWindowDC: the same, the window has
// no frame of its own); a null window gives a memory context.
HDC GetDC(HWND window);
HDC GetWindowDC(HWND window);
// Presents the whole window and frees the context.
int ReleaseDC(HWND window, HDC dc);

// For a WS_EX_LAYERED window: moves and sizes it when `position`/`size` are
// given and takes `size` pixels from `source` at `sourceOrigin` as its
// picture. With ULW_ALPHA and AC_SRC_ALPHA every pixel has its own opacity
// (a premultiplied source; a pixel whose colour exceeds its alpha is taken
// as straight alpha), times the constant alpha; ULW_COLORKEY makes pixels of
// the key colour transparent; otherwise the picture is opaque.
BOOL UpdateLayeredWindow(HWND window, HDC screen, POINT* position, SIZE* size, HDC source, POINT* sourceOrigin,
                         COLORREF key, BLENDFUNCTION* blend, DWORD flags);
// LWA_ALPHA: the whole window, painted normally, at constant opacity.
BOOL SetLayeredWindowAttributes(HWND window, COLORREF key, BYTE alpha, DWORD flags);
// Clips the window to the region (window coordinates), which the system
// then owns; a null region removes the clipping.
int SetWindowRgn(HWND window, HRGN region, BOOL redraw);

namespace movanta::gdi {
struct Bitmap;
// The window's surface: 32 bits, top down, 0xAARRGGBB (premultiplied for a
// per-pixel layered window); null before anything was drawn.
const Bitmap* SurfaceOf(HWND window);
}  // namespace movanta::gdi
