// The desktop back end on a real X server with a compositing manager:
// per-pixel opacity shows what lies behind, and a press on a caption answer
// drags the window with the real mouse.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <thread>

#include "gdi/wingdi.h"
#include "screen_support.h"
#include "ui/desktop.h"
#include "win/window_picture.h"
#include "win/windows.h"

namespace {

LRESULT gHit = HTCLIENT;

LRESULT ScreenProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCHITTEST) return gHit;
    return DefWindowProcW(window, message, wParam, lParam);
}

using movanta::testing::Pump;

class ScreenTest : public ::testing::Test {
protected:
    // Whether the test script started a compositing manager.
    static bool Composited() { return std::getenv("MOVANTA_TEST_NO_COMPOSITOR") == nullptr; }

    static void SetUpTestSuite() {
        ASSERT_TRUE(movanta::ui::StartDesktop());
        WNDCLASSW windowClass {};
        windowClass.lpfnWndProc = ScreenProc;
        windowClass.hbrBackground = CreateSolidBrush(RGB(0, 255, 0));
        windowClass.lpszClassName = L"MovantaScreenWindow";
        ASSERT_NE(RegisterClassW(&windowClass), 0);
        if (Composited()) {
            for (int i = 0; i < 100 && !movanta::ui::DesktopComposites(); ++i) Pump(50);
            ASSERT_TRUE(movanta::ui::DesktopComposites()) << "the compositing manager did not start";
        } else {
            ASSERT_FALSE(movanta::ui::DesktopComposites());
        }
    }

    static HWND Create(DWORD exStyle, int x, int y, int width, int height) {
        return CreateWindowExW(exStyle, L"MovantaScreenWindow", L"", WS_POPUP, x, y, width, height, nullptr, nullptr,
                               nullptr, nullptr);
    }
};

int Channel(QRgb pixel, int shift) {
    return static_cast<int>((pixel >> shift) & 0xFF);
}

TEST_F(ScreenTest, APerPixelTransparentWindowShowsTheDesktopThroughIt) {
    HWND below = Create(0, 100, 100, 300, 300);  // green, from its class brush
    ShowWindow(below, SW_SHOW);
    HWND layered = Create(WS_EX_LAYERED, 150, 150, 200, 200);
    BITMAPINFO info {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 200, -200, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP picture = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* pixels = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 200; ++x) {
            // Left half red at half opacity, right half clear, a solid blue band at the top.
            pixels[y * 200 + x] = y < 20 ? 0xFF0000FF : (x < 100 ? 0x80800000 : 0x00000000);
        }
    }
    HDC source = CreateCompatibleDC(nullptr);
    SelectObject(source, picture);
    BLENDFUNCTION blend {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    POINT origin {0, 0};
    SIZE size {200, 200};
    ASSERT_TRUE(UpdateLayeredWindow(layered, nullptr, nullptr, &size, source, &origin, 0, &blend, ULW_ALPHA));
    ShowWindow(layered, SW_SHOWNA);
    Pump(1500);

    const QImage screen =
        movanta::testing::SaveScreenshot(Composited() ? "movanta-layered.png" : "movanta-layered-cut.png");

    const QRgb blended = screen.pixel(200, 250);
    if (Composited()) {
        EXPECT_NEAR(Channel(blended, 16), 128, 12) << "half of the red";
        EXPECT_NEAR(Channel(blended, 8), 128, 12) << "half of the green behind";
    } else {
        EXPECT_EQ(Channel(blended, 8), 0) << "without compositing, a pixel with any opacity is solid";
    }
    const QRgb clear = screen.pixel(300, 250);
    EXPECT_EQ(clear & 0xFFFFFF, 0x00FF00u) << "the green window shows through clear pixels";
    const QRgb band = screen.pixel(200, 160);
    EXPECT_EQ(band & 0xFFFFFF, 0x0000FFu);

    DeleteDC(source);
    DeleteObject(picture);
    DestroyWindow(layered);
    DestroyWindow(below);
}

// Presents a picture of one opaque colour on a per-pixel layered window.
void PresentColour(HWND window, std::uint32_t colour, int width, int height) {
    BITMAPINFO info {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP picture = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::fill_n(static_cast<std::uint32_t*>(bits), static_cast<size_t>(width) * height, colour);
    HDC source = CreateCompatibleDC(nullptr);
    SelectObject(source, picture);
    BLENDFUNCTION blend {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    POINT origin {0, 0};
    SIZE size {width, height};
    UpdateLayeredWindow(window, nullptr, nullptr, &size, source, &origin, 0, &blend, ULW_ALPHA);
    DeleteDC(source);
    DeleteObject(picture);
}

TEST_F(ScreenTest, AChildOfAPerPixelWindowShowsTheWindowsPixels) {
    HWND layered = Create(WS_EX_LAYERED, 150, 150, 200, 200);
    // A child whose own class would paint it green: it takes the mouse, but
    // what shows where it lies is the layered window's picture.
    HWND child = CreateWindowExW(0, L"MovantaScreenWindow", L"", WS_CHILD | WS_VISIBLE, 20, 40, 60, 60, layered,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    PresentColour(layered, 0xFF0000FF, 200, 200);
    ShowWindow(layered, SW_SHOWNA);
    Pump(1000);
    QImage screen = movanta::testing::SaveScreenshot("movanta-layered-child.png");
    EXPECT_EQ(screen.pixel(200, 220) & 0xFFFFFF, 0x0000FFu) << "the child shows the window's blue";
    PresentColour(layered, 0xFFFF0000, 200, 200);
    Pump(800);
    screen = movanta::testing::SaveScreenshot("movanta-layered-child-red.png");
    EXPECT_EQ(screen.pixel(200, 220) & 0xFFFFFF, 0xFF0000u) << "a new picture shows under the child too";
    EXPECT_EQ(screen.pixel(300, 300) & 0xFFFFFF, 0xFF0000u);
    DestroyWindow(layered);
}

TEST_F(ScreenTest, APictureFromAnotherThreadShowsOverTheWindowUntilTakenAway) {
    HWND window = Create(0, 100, 100, 200, 150);  // green, from its class brush
    ShowWindow(window, SW_SHOW);
    Pump(500);
    // A renderer's thread hands over a 2 x 2 picture: red, blue / blue, red.
    std::thread renderer([window] {
        WindowPicture picture;
        picture.width = 2;
        picture.height = 2;
        picture.pixels = {0xFFFF0000, 0xFF0000FF, 0xFF0000FF, 0xFFFF0000};
        ShowWindowPicture(window, RECT {20, 30, 120, 130}, std::move(picture));
    });
    renderer.join();
    Pump(800);
    QImage screen = movanta::testing::SaveScreenshot("movanta-window-picture.png");
    EXPECT_EQ(screen.pixel(100 + 30, 100 + 40) & 0xFFFFFF, 0xFF0000u) << "the picture's top left, stretched";
    EXPECT_EQ(screen.pixel(100 + 110, 100 + 40) & 0xFFFFFF, 0x0000FFu) << "its top right";
    EXPECT_EQ(screen.pixel(100 + 150, 100 + 40) & 0xFFFFFF, 0x00FF00u) << "the window beside it";

    ShowWindowPicture(window, RECT {}, WindowPicture {});
    Pump(500);
    screen = movanta::testing::SaveScreenshot("movanta-window-picture-gone.png");
    EXPECT_EQ(screen.pixel(100 + 30, 100 + 40) & 0xFFFFFF, 0x00FF00u) << "taken away";
    DestroyWindow(window);
}

TEST_F(ScreenTest, DraggingACaptionAnswerMovesTheWindow) {
    HWND window = Create(0, 400, 400, 150, 100);
    ShowWindow(window, SW_SHOW);
    gHit = HTCAPTION;
    bool started = false;
    movanta::ui::OnSystemMoveStarted([&](HWND, LRESULT edge) { started = edge == HTCAPTION; });
    Pump(500);
    std::thread mouse([] {
        std::system(
            "xdotool mousemove 450 450 sleep 0.2 mousedown 1 sleep 0.3 mousemove 480 470 sleep 0.2 "
            "mousemove 550 520 sleep 0.3 mouseup 1");
    });
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 2500) Pump(50);
    mouse.join();
    Pump(300);
    gHit = HTCLIENT;
    movanta::ui::OnSystemMoveStarted(nullptr);
    EXPECT_TRUE(started);
    RECT rect {};
    GetWindowRect(window, &rect);
    EXPECT_NEAR(rect.left, 500, 3);
    EXPECT_NEAR(rect.top, 470, 3);
    DestroyWindow(window);
}

}  // namespace
