// A skinned main window on a real X server: a per-pixel canvas with an
// embedded panel canvas and two list views either side of a splitter bar.
// The real mouse drags the bar, the window's edge and then the panel (which
// moves the whole window); after each the screen shows every control where
// the layout puts it.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <string>
#include <thread>

#include "packages.h"
#include "skin/canvas/canvas_wnd.h"
#include "skin/library.h"
#include "skin/package/skin_package.h"
#include "ui/cursors.h"
#include "ui/desktop.h"
#include "ui/tests/screen_support.h"
#include "win/windows.h"

namespace {

// The window's top-left corner on the screen.
constexpr int kLeft = 100;
constexpr int kTop = 100;
// Colours of the canvas and panel pictures, and of the lists (Qt's base).
constexpr QRgb kCanvas = 0x303030;
constexpr QRgb kPanel = 0x909090;
constexpr QRgb kList = 0xFFFFFF;

using movanta::testing::Pump;

// Runs the xdotool steps while the messages keep flowing.
void Mouse(const std::string& steps) {
    std::thread mouse([steps] { std::system(("xdotool " + steps).c_str()); });
    Pump(300);
    mouse.join();
    Pump(700);
}

QRgb At(const QImage& screen, int x, int y) {
    return screen.pixel(kLeft + x, kTop + y) & 0xFFFFFF;
}

CRect ClientRect(HWND control) {
    CRect rect;
    GetWindowRect(control, &rect);
    rect.OffsetRect(-kLeft, -kTop);
    return rect;
}

class SplitScreenTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(movanta::ui::StartDesktop());
        for (int i = 0; i < 100 && !movanta::ui::DesktopComposites(); ++i) Pump(50);
    }
    movanta::testing::TempDir dir_;
};

TEST_F(SplitScreenTest, DraggingTheSplitterTheEdgeAndThePanelKeepsEveryControlInPlace) {
    const std::wstring package = MakePackage(
        dir_,
        "[Main]\n"
        "Canvas=POS:0,0,0,0;IMAGE:back.bmp,1;MASK:mask.bmp,1;STYLE:0x2;\n"
        "CanvasPanel=POS:10,10,110,290;ALIGN:0x100,0,100;\n"
        "SplitLists=POS:297,10,303,290;ID:300;MARGIN:180,60;ALIGN:0x100,0,100;\n"
        "CtrlLeft=POS:120,10,297,290;ID:301;CLASS:SysListView32;STYLE:0x10000000;ALIGN:0x100,0,100;"
        "ALIGN:SplitLists,0x200;\n"
        "CtrlRight=POS:303,10,470,290;ID:302;CLASS:SysListView32;STYLE:0x10000000;ALIGN:0x300,100,100;"
        "ALIGN:SplitLists,0x201;\n"
        "[Panel]\n"
        "Canvas=POS:10,10,0,0;IMAGE:panel.bmp,1;STYLE:0x50000000;\n",
        {{"back.bmp", 480, 300, 24, 0x30}, {"mask.bmp", 480, 300, 8, 0xFF}, {"panel.bmp", 100, 280, 24, 0x90}});
    auto* main = static_cast<CzCanvasWnd*>(RUNTIME_CLASS(CzCanvasWnd)->CreateObject());
    ASSERT_TRUE(main->CreateEx(0, nullptr, L"main", WS_POPUP, kLeft, kTop, 10, 10, nullptr, nullptr));
    main->fnParseScript(package.c_str(), L"Main");
    auto* panel = static_cast<CzCanvasWnd*>(RUNTIME_CLASS(CzCanvasWnd)->CreateObject());
    ASSERT_TRUE(panel->CreateEx(0, nullptr, L"panel", WS_CHILD, 0, 0, 0, 0, main->GetSafeHwnd(), nullptr));
    panel->fnParseScript(package.c_str(), L"Panel");
    main->ShowWindow(SW_SHOW);
    Pump(1500);
    HWND left = main->fnGetDlgItem(301)->GetSafeHwnd();
    HWND right = main->fnGetDlgItem(302)->GetSafeHwnd();

    QImage screen = movanta::testing::SaveScreenshot("movanta-split-shown.png");
    EXPECT_EQ(At(screen, 60, 150), kPanel) << "the embedded panel";
    EXPECT_EQ(At(screen, 200, 150), kList) << "the left list";
    EXPECT_EQ(At(screen, 300, 150), kCanvas) << "the bar";
    EXPECT_EQ(At(screen, 400, 150), kList) << "the right list";

    Mouse("mousemove 400 250 sleep 0.3");
    EXPECT_EQ(GetCursor(), LoadCursorW(CzLibraryInstance(), MAKEINTRESOURCEW(CZ_CURSOR_LEFT_RIGHT)))
        << "the left-right cursor over the bar";
    Mouse("mousedown 1 sleep 0.2 mousemove 350 250 sleep 0.2 mousemove 300 250 sleep 0.2 mouseup 1");
    EXPECT_EQ(ClientRect(left).right, 197);
    EXPECT_EQ(ClientRect(right).left, 203);
    screen = movanta::testing::SaveScreenshot("movanta-split-dragged.png");
    EXPECT_EQ(At(screen, 150, 150), kList) << "the narrower left list";
    EXPECT_EQ(At(screen, 200, 150), kCanvas) << "the bar in its new place";
    EXPECT_EQ(At(screen, 300, 150), kList) << "the wider right list";

    // The right edge lies in the 10-pixel sizing band of the resizable canvas.
    Mouse(
        "mousemove 575 250 sleep 0.2 mousedown 1 sleep 0.2 mousemove 615 250 sleep 0.2 mousemove 655 250 sleep "
        "0.2 mouseup 1");
    CRect window;
    main->GetWindowRect(&window);
    EXPECT_NEAR(window.Width(), 560, 3);
    const int grown = window.Width() - 480;
    EXPECT_EQ(ClientRect(right).right, 470 + grown) << "the right list follows the edge";
    EXPECT_EQ(ClientRect(left).right, 197) << "the bar stays where it was dragged";
    screen = movanta::testing::SaveScreenshot("movanta-split-resized.png");
    EXPECT_EQ(At(screen, 60, 150), kPanel);
    EXPECT_EQ(At(screen, 150, 150), kList);
    EXPECT_EQ(At(screen, 200, 150), kCanvas);
    EXPECT_EQ(At(screen, 460 + grown, 150), kList);
    EXPECT_EQ(At(screen, 475 + grown, 150), kCanvas) << "the canvas's margin after the list";

    // A press on the embedded panel goes through to the window, which the
    // drag moves with everything on it.
    Mouse(
        "mousemove 160 250 sleep 0.2 mousedown 1 sleep 0.2 mousemove 190 270 sleep 0.2 mousemove 210 280 sleep 0.2 "
        "mouseup 1");
    CRect moved;
    main->GetWindowRect(&moved);
    EXPECT_EQ(moved.TopLeft(), CPoint(kLeft + 50, kTop + 30));
    CRect panelRect;
    panel->GetWindowRect(&panelRect);
    EXPECT_EQ(panelRect.TopLeft(), CPoint(kLeft + 60, kTop + 40)) << "the panel moved with it";
    EXPECT_EQ(ClientRect(left).left, 170) << "and the lists";
    main->DestroyWindow();
    Pump(200);
}

}  // namespace
