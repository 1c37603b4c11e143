// Pictures shown over a window from any thread: how a video renderer puts
// its pictures on the screen while the window paints itself on its own
// thread.
#pragma once

#include <cstdint>
#include <vector>

#include "win/winuser.h"

struct WindowPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0xFFRRGGBB, top row first
};

// Shows `picture` stretched over `area` (client coordinates) of the window,
// above the window's own pixels and its children, until the next one; an
// empty picture takes it away. Nothing shows without a desktop back end.
void ShowWindowPicture(HWND window, const RECT& area, WindowPicture picture);
