// Drawing on windows: paint contexts, the surface behind a window and
// layered pictures.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gdi/gdi_objects.h"
#include "gdi/wingdi.h"
#include "win/window_surface.h"
#include "win/windows.h"

namespace {

std::vector<UINT> gSeen;

LRESULT PaintingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND || message == WM_PAINT) gSeen.push_back(message);
    if (message == WM_PAINT) {
        PAINTSTRUCT paint {};
        HDC dc = BeginPaint(window, &paint);
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(dc, &paint.rcPaint, red);
        DeleteObject(red);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeWindow(DWORD exStyle, HBRUSH background) {
    static int serial = 0;
    const std::wstring name = L"MovantaPaintingWindow" + std::to_wstring(++serial);
    WNDCLASSW windowClass {};
    windowClass.lpfnWndProc = PaintingProc;
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name.c_str();
    EXPECT_NE(RegisterClassW(&windowClass), 0);
    return CreateWindowExW(exStyle, name.c_str(), L"", WS_POPUP | WS_VISIBLE, 0, 0, 40, 30, nullptr, nullptr, nullptr,
                           nullptr);
}

movanta::gdi::Pixel At(HWND window, int x, int y) {
    const movanta::gdi::Bitmap* surface = movanta::gdi::SurfaceOf(window);
    return surface == nullptr ? 0xDEADBEEF : surface->Read(x, y);
}

void Drain() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

TEST(WindowDrawing, PaintingErasesWithTheClassBrushThenDrawsTheUpdateArea) {
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    HWND window = MakeWindow(0, blue);
    Drain();
    EXPECT_EQ(gSeen, (std::vector<UINT> {WM_PAINT, WM_ERASEBKGND}));
    EXPECT_EQ(At(window, 0, 0) & 0xFFFFFF, 0xFF0000u) << "the whole window was the update area";
    gSeen.clear();

    HDC dc = GetDC(window);
    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
    const RECT all {0, 0, 40, 30};
    FillRect(dc, &all, green);
    ReleaseDC(window, dc);
    const RECT corner {30, 20, 40, 30};
    InvalidateRect(window, &corner, FALSE);
    Drain();
    EXPECT_EQ(gSeen, std::vector<UINT> {WM_PAINT}) << "no erase was asked for";
    EXPECT_EQ(At(window, 35, 25) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(At(window, 5, 5) & 0xFFFFFF, 0x00FF00u) << "outside the update area nothing changed";

    SetWindowPos(window, nullptr, 0, 0, 60, 50, SWP_NOMOVE | SWP_NOZORDER);
    Drain();
    EXPECT_EQ(movanta::gdi::SurfaceOf(window)->width, 60) << "the surface follows the window's size";
    DestroyWindow(window);
    DeleteObject(green);
    DeleteObject(blue);
}

TEST(WindowDrawing, LayeredPicturesKeepTheirOpacityPerPixel) {
    HWND plain = MakeWindow(0, nullptr);
    HWND layered = MakeWindow(WS_EX_LAYERED, nullptr);
    BITMAPINFO info {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 40, -30, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP picture = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* pixels = static_cast<std::uint32_t*>(bits);
    for (int i = 0; i < 40 * 30; ++i) pixels[i] = 0x80404040;  // premultiplied half-transparent grey
    pixels[1] = 0x80FF0000;                                    // straight alpha: red above its alpha
    HDC source = CreateCompatibleDC(nullptr);
    SelectObject(source, picture);
    BLENDFUNCTION blend {AC_SRC_OVER, 0, 200, AC_SRC_ALPHA};
    POINT origin {0, 0};
    POINT at {300, 200};
    SIZE size {40, 30};
    EXPECT_FALSE(UpdateLayeredWindow(plain, nullptr, &at, &size, source, &origin, 0, &blend, ULW_ALPHA))
        << "only a layered window";
    ASSERT_TRUE(UpdateLayeredWindow(layered, nullptr, &at, &size, source, &origin, 0, &blend, ULW_ALPHA));
    EXPECT_EQ(At(layered, 0, 0), 0x80404040u);
    EXPECT_EQ(At(layered, 1, 0), 0x80800000u) << "premultiplied";
    RECT rect {};
    GetWindowRect(layered, &rect);
    EXPECT_EQ(rect.left, 300);
    const movanta::win::Layering layering = movanta::win::LayeringOf(layered);
    EXPECT_TRUE(layering.perPixel);
    EXPECT_EQ(layering.alpha, 200);

    EXPECT_TRUE(SetLayeredWindowAttributes(layered, 0, 128, LWA_ALPHA));
    EXPECT_FALSE(movanta::win::LayeringOf(layered).perPixel);
    EXPECT_EQ(movanta::win::LayeringOf(layered).alpha, 128);

    HRGN region = CreateRectRgn(0, 0, 10, 10);
    EXPECT_EQ(SetWindowRgn(layered, region, FALSE), 1);
    std::vector<RECT> shape;
    EXPECT_TRUE(movanta::win::WindowShape(layered, shape));
    ASSERT_EQ(shape.size(), 1u);
    EXPECT_EQ(shape[0].right, 10);
    EXPECT_FALSE(DeleteObject(region)) << "the window owns the region now";
    SetWindowRgn(layered, nullptr, FALSE);
    EXPECT_FALSE(movanta::win::WindowShape(layered, shape));

    DeleteDC(source);
    DeleteObject(picture);
    DestroyWindow(layered);
    DestroyWindow(plain);
}

}  // namespace
