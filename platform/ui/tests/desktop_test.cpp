// The desktop back end on Qt's offscreen platform: windows become widgets
// that follow their records, input comes back as messages, and the message
// loop keeps Qt, timers and posted messages running.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QUrl>
#include <QWidget>
#include <cstdlib>
#include <vector>

#include "gdi/wingdi.h"
#include "ui/desktop.h"
#include "ui/shell.h"
#include "win/window_backend.h"
#include "win/windows.h"

namespace {

LRESULT gHit = HTCLIENT;
std::vector<UINT> gClicks;

LRESULT DesktopProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCHITTEST: return gHit;
        case WM_LBUTTONDOWN: gClicks.push_back(message); return 0;
        case WM_GETMINMAXINFO:
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {90, 60};
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMaxTrackSize = {500, 400};
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint {};
            HDC dc = BeginPaint(window, &paint);
            HBRUSH brush = CreateSolidBrush(RGB(0, 0, 200));
            FillRect(dc, &paint.rcPaint, brush);
            DeleteObject(brush);
            EndPaint(window, &paint);
            return 0;
        }
        default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

class DesktopTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ASSERT_TRUE(movanta::ui::StartDesktop());
        WNDCLASSW windowClass {};
        windowClass.lpfnWndProc = DesktopProc;
        windowClass.lpszClassName = L"MovantaDesktopWindow";
        ASSERT_NE(RegisterClassW(&windowClass), 0);
    }

    static HWND Create(LPCWSTR title, DWORD style, DWORD exStyle = 0, HWND parent = nullptr) {
        return CreateWindowExW(exStyle, L"MovantaDesktopWindow", title, style, 50, 60, 120, 80, parent, nullptr,
                               nullptr, nullptr);
    }

    static QWidget* WidgetTitled(const QString& title) {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->windowTitle() == title) return widget;
        }
        return nullptr;
    }

    // Runs the message loop for `ms` milliseconds.
    static void Pump(DWORD ms) {
        const UINT_PTR timer = SetTimer(nullptr, 0, ms, nullptr);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0)) {
            if (msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == timer) break;
            DispatchMessageW(&msg);
        }
        KillTimer(nullptr, timer);
    }
};

TEST_F(DesktopTest, WindowsBecomeWidgetsThatFollowTheirRecords) {
    HWND frameless = Create(L"frameless", WS_POPUP | WS_VISIBLE);
    HWND framed = Create(L"framed", WS_OVERLAPPEDWINDOW);
    HWND child = Create(L"child", WS_CHILD | WS_VISIBLE, 0, frameless);
    QWidget* popup = WidgetTitled("frameless");
    QWidget* window = WidgetTitled("framed");
    ASSERT_NE(popup, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(popup->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(popup->geometry(), QRect(50, 60, 120, 80));
    ASSERT_EQ(popup->children().size(), 1);

    MoveWindow(frameless, 10, 20, 200, 100, TRUE);
    SetWindowTextW(frameless, L"moved");
    EnableWindow(frameless, FALSE);
    Pump(50);
    EXPECT_EQ(popup->geometry(), QRect(10, 20, 200, 100));
    EXPECT_EQ(popup->windowTitle(), "moved");
    EXPECT_FALSE(popup->isEnabled());

    // What the window painted is what the widget shows.
    const QImage shown = popup->grab().toImage();
    EXPECT_EQ(shown.pixel(100, 50) & 0xFFFFFF, 0x0000C8u);

    // The desktop's frame sizes a framed window within the procedure's limits.
    ShowWindow(framed, SW_SHOW);
    EXPECT_EQ(window->minimumSize(), QSize(90, 60));
    EXPECT_EQ(window->maximumSize(), QSize(500, 400));

    ShowWindow(frameless, SW_HIDE);
    EXPECT_FALSE(popup->isVisible());
    DestroyWindow(frameless);
    EXPECT_FALSE(IsWindow(child));
    EXPECT_EQ(WidgetTitled("moved"), nullptr);
    DestroyWindow(framed);
}

TEST_F(DesktopTest, CaptionAndEdgeAnswersStartTheDesktopsMoveAndResize) {
    HWND window = Create(L"mover", WS_POPUP | WS_VISIBLE);
    std::vector<LRESULT> started;
    movanta::ui::OnSystemMoveStarted([&](HWND moved, LRESULT edge) {
        EXPECT_EQ(moved, window);
        started.push_back(edge);
    });
    gClicks.clear();
    for (LRESULT hit : {HTCAPTION, HTBOTTOMRIGHT, HTCLIENT}) {
        gHit = hit;
        movanta::win::DeliverMouse(window, WM_LBUTTONDOWN, {60, 70}, MK_LBUTTON);
        Pump(20);
    }
    gHit = HTCLIENT;
    EXPECT_EQ(started, (std::vector<LRESULT> {HTCAPTION, HTBOTTOMRIGHT}));
    EXPECT_EQ(gClicks, std::vector<UINT> {WM_LBUTTONDOWN}) << "only the client answer is a click";
    movanta::ui::OnSystemMoveStarted(nullptr);
    DestroyWindow(window);
}

TEST_F(DesktopTest, TheLoopRunsQtTimersAndPostedMessagesTogether) {
    HWND window = Create(L"loop", WS_POPUP);
    int ticks = 0;
    bool qtRan = false;
    QMetaObject::invokeMethod(
        qApp, [&] { qtRan = true; }, Qt::QueuedConnection);
    SetTimer(window, 5, 20, [](HWND w, UINT, UINT_PTR, DWORD) {
        auto* count = reinterpret_cast<int*>(GetWindowLongPtrW(w, GWLP_USERDATA));
        if (++*count == 3) PostMessageW(w, WM_APP, 0, 0);
    });
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&ticks));
    MSG msg;
    const DWORD start = GetTickCount();
    while (GetMessageW(&msg, nullptr, 0, 0) && msg.message != WM_APP && GetTickCount() - start < 5000) {
        DispatchMessageW(&msg);
    }
    EXPECT_EQ(msg.message, WM_APP);
    EXPECT_EQ(ticks, 3);
    EXPECT_TRUE(qtRan);
    DestroyWindow(window);
}

}  // namespace

namespace {

TEST_F(DesktopTest, DroppedLocalFilesArriveAsWmDropFiles) {
    HWND window = Create(L"drops", WS_POPUP | WS_VISIBLE);
    DragAcceptFiles(window, TRUE);
    Pump(20);
    QWidget* widget = WidgetTitled("drops");
    ASSERT_NE(widget, nullptr);
    EXPECT_TRUE(widget->acceptDrops());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/tmp/clip one.avi"), QUrl("https://example.org/x.avi"),
                  QUrl::fromLocalFile("/tmp/two.mp4")});
    // Qt delivers a drop to the window a drag entered.
    QDragEnterEvent enter(QPoint(5, 6), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 6), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &drop);
    MSG msg {};
    ASSERT_TRUE(PeekMessageW(&msg, window, WM_DROPFILES, WM_DROPFILES, PM_REMOVE));
    auto drop_handle = reinterpret_cast<HDROP>(msg.wParam);
    EXPECT_EQ(DragQueryFileW(drop_handle, 0xFFFFFFFF, nullptr, 0), 2u) << "local files only";
    WCHAR path[64] {};
    EXPECT_EQ(DragQueryFileW(drop_handle, 0, nullptr, 0), 17u);
    EXPECT_EQ(DragQueryFileW(drop_handle, 0, path, 64), 17u);
    EXPECT_STREQ(path, L"/tmp/clip one.avi");
    DragFinish(drop_handle);
    EXPECT_EQ(DragQueryFileW(drop_handle, 0xFFFFFFFF, nullptr, 0), 0u) << "finished handles are refused";
    DestroyWindow(window);
}

TEST(Shell, VersionAndOpeningAMissingFile) {
    OSVERSIONINFOW version {};
    version.dwOSVersionInfoSize = sizeof(version);
    ASSERT_TRUE(GetVersionExW(&version));
    EXPECT_GE(version.dwMajorVersion, 5u) << "the version checks of the application pass";
    version.dwOSVersionInfoSize = 3;
    EXPECT_FALSE(GetVersionExW(&version));
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(ShellExecuteW(nullptr, L"open", L"/no/such/help.html", nullptr, nullptr, 1)),
              2u);
    EXPECT_LE(reinterpret_cast<ULONG_PTR>(ShellExecuteW(nullptr, L"print", L"/tmp", nullptr, nullptr, 1)), 32u);
    EXPECT_EQ(HtmlHelpW(nullptr, L"/no/such/Movanta.chm", HH_DISPLAY_TOPIC, 0), nullptr);
}

}  // namespace
