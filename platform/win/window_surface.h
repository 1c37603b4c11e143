// What the drawing layer keeps and asks for per window: the pixels behind a
// window, its update area, its layering and its region. Internal to the
// platform layer.
#pragma once

#include <memory>
#include <vector>

#include "win/winuser.h"

namespace movanta::win {

struct PaintRequest {
    RECT area {};  // client coordinates; empty when there is nothing to paint
    bool erase = false;
};
// The update area, now validated.
PaintRequest TakeUpdate(HWND window);

std::shared_ptr<void> WindowSurface(HWND window);
void SetWindowSurface(HWND window, std::shared_ptr<void> surface);

// How the back end composes the window: its constant opacity and whether
// the surface's own alpha is the opacity of each pixel.
struct Layering {
    BYTE alpha = 255;
    bool perPixel = false;
};
Layering LayeringOf(HWND window);
void SetLayering(HWND window, Layering layering);
// The window region in window coordinates; no rectangles with `shaped` false
// means the whole window.
void SetWindowShape(HWND window, std::vector<RECT> rects, bool shaped);
bool WindowShape(HWND window, std::vector<RECT>& rects);

// The drawing layer's answers to WM_PAINT and WM_ERASEBKGND (wParam: the
// device context) for DefWindowProcW.
struct DefaultPainting {
    void (*paint)(HWND window);
    LRESULT (*erase)(HWND window, WPARAM dc);
};
void SetDefaultPainting(DefaultPainting painting);
const DefaultPainting* GetDefaultPainting();

}  // namespace movanta::win
