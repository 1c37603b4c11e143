// The window layer without a screen: message order, geometry, painting
// state, capture and mouse-leave, activation.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "testing/testing.h"
#include "win/runtime_dir.h"
#include "win/window_backend.h"
#include "win/windows.h"

namespace {

std::vector<std::string> gLog;
std::vector<HWND> gNamed;  // gLog names windows by their index here

std::string NameOf(HWND window) {
    for (size_t i = 0; i < gNamed.size(); ++i) {
        if (gNamed[i] == window) return "w" + std::to_string(i);
    }
    return "?";
}

std::string MessageName(UINT message) {
    switch (message) {
        case WM_GETMINMAXINFO: return "GETMINMAXINFO";
        case WM_NCCREATE: return "NCCREATE";
        case WM_CREATE: return "CREATE";
        case WM_SIZE: return "SIZE";
        case WM_MOVE: return "MOVE";
        case WM_PARENTNOTIFY: return "PARENTNOTIFY";
        case WM_SHOWWINDOW: return "SHOWWINDOW";
        case WM_WINDOWPOSCHANGING: return "POSCHANGING";
        case WM_WINDOWPOSCHANGED: return "POSCHANGED";
        case WM_ACTIVATEAPP: return "ACTIVATEAPP";
        case WM_ACTIVATE: return "ACTIVATE";
        case WM_DESTROY: return "DESTROY";
        case WM_NCDESTROY: return "NCDESTROY";
        case WM_PAINT: return "PAINT";
        case WM_CAPTURECHANGED: return "CAPTURECHANGED";
        case WM_MOUSELEAVE: return "MOUSELEAVE";
        case WM_MOUSEMOVE: return "MOUSEMOVE";
        case WM_LBUTTONDOWN: return "LBUTTONDOWN";
        case WM_LBUTTONUP: return "LBUTTONUP";
        case WM_NCLBUTTONDOWN: return "NCLBUTTONDOWN";
        default: return {};
    }
}

LRESULT LoggingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const std::string name = MessageName(message);
    if (NameOf(window) == "?") gNamed.push_back(window);
    if (!name.empty()) gLog.push_back(NameOf(window) + " " + name);
    if (message == WM_NCHITTEST) {
        const LONG_PTR answer = GetWindowLongPtrW(window, GWLP_USERDATA);
        if (answer != 0) return answer;
    }
    if (message == WM_WINDOWPOSCHANGING) {
        // Keeps windows at least 50 pixels wide, as a procedure may.
        auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        if ((pos->flags & SWP_NOSIZE) == 0 && pos->cx < 50) pos->cx = 50;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class WindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        static bool registered = false;
        if (!registered) {
            WNDCLASSW windowClass {};
            windowClass.lpfnWndProc = LoggingProc;
            windowClass.lpszClassName = L"MovantaLoggingWindow";
            ASSERT_NE(RegisterClassW(&windowClass), 0);
            registered = true;
        }
        gLog.clear();
        gNamed.clear();
    }

    static HWND Create(DWORD style, HWND parent = nullptr, int x = 10, int y = 20, int width = 200, int height = 100,
                       int id = 0) {
        return CreateWindowExW(0, L"MovantaLoggingWindow", L"", style, x, y, width, height, parent,
                               reinterpret_cast<HMENU>(static_cast<LONG_PTR>(id)), nullptr, nullptr);
    }

    // The posted messages and WM_PAINT waiting now, handled.
    static void Drain() {
        MSG msg;
        for (int i = 0; i < 100 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) DispatchMessageW(&msg);
    }

    static std::vector<std::string> Take() { return std::exchange(gLog, {}); }
};

using Log = std::vector<std::string>;

TEST_F(WindowsTest, CreationAndDestructionComeInThePlatformsOrder) {
    HWND top = Create(WS_POPUP | WS_VISIBLE);
    EXPECT_EQ(Take(), (Log {"w0 GETMINMAXINFO", "w0 NCCREATE", "w0 CREATE", "w0 SIZE", "w0 MOVE", "w0 SHOWWINDOW",
                            "w0 POSCHANGING", "w0 POSCHANGED", "w0 ACTIVATEAPP", "w0 ACTIVATE"}));
    HWND child = Create(WS_CHILD | WS_VISIBLE, top, 5, 5, 20, 20, 7);
    EXPECT_EQ(Take(), (Log {"w1 NCCREATE", "w1 CREATE", "w1 SIZE", "w1 MOVE", "w0 PARENTNOTIFY", "w1 SHOWWINDOW",
                            "w1 POSCHANGING", "w1 POSCHANGED", "w1 SIZE"}));
    HWND grandchild = Create(WS_CHILD, child, 0, 0, 50, 5);
    EXPECT_EQ(GetDlgItem(top, 7), child);
    EXPECT_TRUE(IsChild(top, grandchild));
    EXPECT_FALSE(IsWindowVisible(grandchild));  // never shown
    Take();

    DestroyWindow(top);
    EXPECT_EQ(Take(), (Log {"w0 POSCHANGING", "w0 POSCHANGED", "w0 ACTIVATE", "w0 ACTIVATEAPP", "w0 DESTROY",
                            "w1 DESTROY", "w2 DESTROY", "w2 NCDESTROY", "w1 NCDESTROY", "w0 NCDESTROY"}));
    EXPECT_FALSE(IsWindow(child));
    EXPECT_FALSE(IsWindow(grandchild));
    EXPECT_EQ(GetActiveWindow(), nullptr);
}

TEST_F(WindowsTest, OwnedWindowsGoFirstAndAChildNeedsAParent) {
    HWND owner = Create(WS_POPUP);
    HWND owned = Create(WS_POPUP, owner);
    EXPECT_EQ(GetWindow(owned, GW_OWNER), owner);
    EXPECT_EQ(GetParent(owned), owner);
    EXPECT_EQ(GetAncestor(owned, GA_PARENT), nullptr);
    Take();
    DestroyWindow(owner);
    EXPECT_EQ(Take(), (Log {"w1 DESTROY", "w1 NCDESTROY", "w0 DESTROY", "w0 NCDESTROY"}));
    EXPECT_EQ(Create(WS_CHILD), nullptr);
}

TEST_F(WindowsTest, PositionsSizesAndTheDeferredBatch) {
    HWND top = Create(WS_POPUP, nullptr, 100, 50, 300, 200);
    HWND a = Create(WS_CHILD | WS_VISIBLE, top, 10, 10, 60, 60);
    HWND b = Create(WS_CHILD | WS_VISIBLE, top, 80, 10, 60, 60);
    RECT rect {};
    GetWindowRect(a, &rect);
    EXPECT_EQ(rect.left, 110);
    EXPECT_EQ(rect.top, 60);
    POINT point {0, 0};
    ClientToScreen(b, &point);
    EXPECT_EQ(point.x, 180);
    ScreenToClient(top, &point);
    EXPECT_EQ(point.x, 80);

    Take();
    SetWindowPos(a, nullptr, 0, 0, 20, 30, SWP_NOMOVE | SWP_NOZORDER);
    GetClientRect(a, &rect);
    EXPECT_EQ(rect.right, 50) << "the procedure's WM_WINDOWPOSCHANGING answer holds";
    EXPECT_EQ(Take(), (Log {"w1 POSCHANGING", "w1 POSCHANGED", "w1 SIZE"}));

    HDWP batch = BeginDeferWindowPos(2);
    batch = DeferWindowPos(batch, a, nullptr, 1, 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    batch = DeferWindowPos(batch, b, nullptr, 0, 0, 70, 80, SWP_NOMOVE | SWP_NOZORDER);
    batch = DeferWindowPos(batch, a, nullptr, 0, 0, 90, 90, SWP_NOMOVE | SWP_NOZORDER);  // merges with the first
    ASSERT_NE(batch, nullptr);
    EXPECT_TRUE(EndDeferWindowPos(batch));
    GetWindowRect(a, &rect);
    EXPECT_EQ(rect.left, 101);
    EXPECT_EQ(rect.right - rect.left, 90);
    GetClientRect(b, &rect);
    EXPECT_EQ(rect.bottom, 80);

    EXPECT_EQ(GetWindow(top, GW_CHILD), b) << "the newest child is on top";
    SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetWindow(top, GW_CHILD), a);
    EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), b);
    point = {200, 70};
    EXPECT_EQ(ChildWindowFromPoint(top, point), top);
    ShowWindow(top, SW_SHOWNA);
    EXPECT_EQ(WindowFromPoint({150, 70}), a);
    DestroyWindow(top);
}

TEST_F(WindowsTest, MinimiseMaximiseAndRestore) {
    HWND top = Create(WS_POPUP | WS_VISIBLE, nullptr, 40, 30, 200, 100);
    Take();
    ShowWindow(top, SW_MAXIMIZE);
    EXPECT_TRUE(IsZoomed(top));
    RECT rect {};
    GetWindowRect(top, &rect);
    EXPECT_EQ(rect.right - rect.left, 1024) << "the work area without a desktop";
    Log log = Take();
    EXPECT_NE(std::find(log.begin(), log.end(), "w0 GETMINMAXINFO"), log.end());
    ShowWindow(top, SW_MINIMIZE);
    EXPECT_TRUE(IsIconic(top));
    EXPECT_FALSE(IsZoomed(top));
    ShowWindow(top, SW_RESTORE);
    EXPECT_FALSE(IsIconic(top));
    GetWindowRect(top, &rect);
    EXPECT_EQ(rect.left, 40);
    EXPECT_EQ(rect.right - rect.left, 200);
    EXPECT_TRUE(ShowWindow(top, SW_HIDE));
    EXPECT_FALSE(ShowWindow(top, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(top));
    DestroyWindow(top);
}

TEST_F(WindowsTest, PaintComesAfterPostedMessagesAndStaysUntilValidated) {
    HWND top = Create(WS_POPUP | WS_VISIBLE, nullptr, 0, 0, 100, 100);
    Drain();
    Take();
    RECT area {10, 10, 20, 20};
    InvalidateRect(top, &area, FALSE);
    area = {30, 5, 40, 15};
    InvalidateRect(top, &area, TRUE);
    RECT update {};
    EXPECT_TRUE(GetUpdateRect(top, &update, FALSE));
    EXPECT_EQ(update.left, 10);
    EXPECT_EQ(update.top, 5);
    EXPECT_EQ(update.right, 40);
    PostMessageW(top, WM_MOUSEMOVE, 0, 0);
    Drain();
    EXPECT_EQ(Take(), (Log {"w0 MOUSEMOVE", "w0 PAINT"})) << "DefWindowProcW validated";
    EXPECT_FALSE(GetUpdateRect(top, &update, FALSE));

    ShowWindow(top, SW_HIDE);
    Take();
    InvalidateRect(top, nullptr, TRUE);
    Drain();
    EXPECT_EQ(Take(), Log {}) << "a hidden window is not painted";
    DestroyWindow(top);
}

TEST_F(WindowsTest, CaptureHitTestingAndMouseLeave) {
    HWND top = Create(WS_POPUP | WS_VISIBLE, nullptr, 100, 100, 200, 200);
    HWND child = Create(WS_CHILD | WS_VISIBLE, top, 10, 10, 50, 50);
    Drain();
    Take();
    using movanta::win::DeliverMouse;
    DeliverMouse(child, WM_MOUSEMOVE, {120, 120}, 0);
    TRACKMOUSEEVENT track {sizeof(TRACKMOUSEEVENT), TME_LEAVE, child, 0};
    EXPECT_TRUE(TrackMouseEvent(&track));
    DeliverMouse(child, WM_MOUSEMOVE, {125, 125}, 0);
    DeliverMouse(top, WM_MOUSEMOVE, {200, 200}, 0);
    DeliverMouse(top, WM_MOUSEMOVE, {201, 200}, 0);
    Drain();
    EXPECT_EQ(Take(), (Log {"w1 MOUSEMOVE", "w1 MOUSEMOVE", "w1 MOUSELEAVE", "w0 MOUSEMOVE", "w0 MOUSEMOVE"}))
        << "one leave, when the mouse moved to another window";

    // A transparent child passes the press to its parent; a caption answer
    // becomes a non-client press.
    SetWindowLongPtrW(child, GWLP_USERDATA, HTTRANSPARENT);
    DeliverMouse(child, WM_LBUTTONDOWN, {120, 120}, MK_LBUTTON);
    SetWindowLongPtrW(top, GWLP_USERDATA, HTCAPTION);
    DeliverMouse(top, WM_LBUTTONDOWN, {250, 250}, MK_LBUTTON);
    SetWindowLongPtrW(top, GWLP_USERDATA, 0);
    SetWindowLongPtrW(child, GWLP_USERDATA, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, top);
    EXPECT_EQ(GET_X_LPARAM(msg.lParam), 20) << "client coordinates of the parent";
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(HTCAPTION));
    EXPECT_EQ(GET_X_LPARAM(msg.lParam), 250) << "screen coordinates";
    Drain();
    Take();

    // A transparent top-level window passes it to the window behind it.
    HWND front = Create(WS_POPUP | WS_VISIBLE, nullptr, 150, 150, 40, 40);
    SetWindowLongPtrW(front, GWLP_USERDATA, HTTRANSPARENT);
    DeliverMouse(front, WM_LBUTTONDOWN, {160, 170}, MK_LBUTTON);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, top);
    EXPECT_EQ(GET_X_LPARAM(msg.lParam), 60);
    DestroyWindow(front);
    Drain();
    Take();

    // With the capture every mouse message goes to the capturing window,
    // in its client coordinates, wherever the mouse is.
    EXPECT_EQ(SetCapture(child), nullptr);
    EXPECT_EQ(GetCapture(), child);
    DeliverMouse(nullptr, WM_MOUSEMOVE, {50, 60}, MK_LBUTTON);
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, child);
    EXPECT_EQ(GET_X_LPARAM(msg.lParam), -60);
    EXPECT_EQ(GET_Y_LPARAM(msg.lParam), -50);
    SetCapture(top);
    ReleaseCapture();
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(Take(), (Log {"w1 CAPTURECHANGED", "w0 CAPTURECHANGED"}));
    DestroyWindow(top);
}

TEST_F(WindowsTest, SubclassingSeesMessagesFirstUntilRestored) {
    HWND top = Create(WS_POPUP);
    static WNDPROC s_previous = nullptr;
    s_previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        top, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            if (m == WM_APP) gLog.push_back("subclass");
            return CallWindowProcW(s_previous, w, m, wp, lp);
        })));
    SetWindowLongPtrW(top, GWLP_USERDATA, 0);
    Take();
    SendMessageW(top, WM_APP, 0, 0);
    SendMessageW(top, WM_SIZE, 0, 0);
    EXPECT_EQ(Take(), (Log {"subclass", "w0 SIZE"}));
    SetWindowLongPtrW(top, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s_previous));
    SendMessageW(top, WM_APP, 0, 0);
    EXPECT_EQ(Take(), Log {});
    DestroyWindow(top);
}

TEST_F(WindowsTest, CreationHooksSeeTheWindowBeforeItsFirstMessage) {
    static HWND s_hooked = nullptr;
    static HHOOK s_hook = nullptr;
    s_hook = SetWindowsHookExW(
        WH_CBT,
        [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (code == HCBT_CREATEWND) {
                s_hooked = reinterpret_cast<HWND>(wParam);
                gLog.push_back("hook " + std::to_string(reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs->cx));
            }
            return CallNextHookEx(s_hook, code, wParam, lParam);
        },
        nullptr, GetCurrentThreadId());
    ASSERT_NE(s_hook, nullptr);
    HWND top = Create(WS_POPUP, nullptr, 0, 0, 77, 10);
    EXPECT_EQ(s_hooked, top);
    EXPECT_EQ(Take().front(), "hook 77");
    EXPECT_TRUE(UnhookWindowsHookEx(s_hook));
    DestroyWindow(top);
}

}  // namespace

namespace {

std::vector<UINT> gRemoteSeen;

LRESULT RemoteTargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ACTIVATE || message == WM_CLOSE) gRemoteSeen.push_back(message);
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(WindowRendezvous, AnotherProcessFindsTheWindowRaisesItAndClosesIt) {
    const std::wstring className = L"MovantaRemoteTarget" + std::to_wstring(GetCurrentProcessId());
    const std::wstring title = L"Remote " + std::to_wstring(GetCurrentProcessId());
    WNDCLASSW windowClass {};
    windowClass.lpfnWndProc = RemoteTargetProc;
    windowClass.lpszClassName = className.c_str();
    ASSERT_NE(RegisterClassW(&windowClass), 0);
    const std::wstring otherClass = className + L"Other";
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.lpszClassName = otherClass.c_str();
    ASSERT_NE(RegisterClassW(&windowClass), 0);
    HWND target = CreateWindowExW(0, className.c_str(), title.c_str(), WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr,
                                  nullptr, nullptr, nullptr);
    HWND other = CreateWindowExW(0, otherClass.c_str(), L"other", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    ASSERT_EQ(GetActiveWindow(), other);
    gRemoteSeen.clear();

    movanta::testing::Child child(
        {WIN_HELPER_PATH, "close-window", movanta::WideToUtf8(className), movanta::WideToUtf8(title)});
    const DWORD start = GetTickCount();
    MSG msg;
    while (IsWindow(target) && GetTickCount() - start < 10000) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        } else {
            Sleep(2);
        }
    }
    EXPECT_EQ(child.Wait(), 0);
    EXPECT_FALSE(IsWindow(target)) << "WM_CLOSE from the other process destroyed it";
    ASSERT_GE(gRemoteSeen.size(), 2u);
    EXPECT_EQ(gRemoteSeen[0], WM_ACTIVATE) << "raised before it was closed";
    EXPECT_EQ(gRemoteSeen[1], WM_CLOSE);
    DestroyWindow(other);
}

TEST(WindowRendezvous, AWindowOfAProcessThatIsGoneIsNotFound) {
    const std::string className = "MovantaLeftBehind" + std::to_string(GetCurrentProcessId());
    movanta::testing::Child child({WIN_HELPER_PATH, "leave-window", className});
    const std::filesystem::path record =
        std::filesystem::path(movanta::win::RuntimeFolder("windows")) / (std::to_string(child.Pid()) + ".sock");
    EXPECT_EQ(child.Wait(), 0);
    EXPECT_TRUE(std::filesystem::exists(record)) << "the process left its record";
    EXPECT_EQ(FindWindowA(className.c_str(), nullptr), nullptr);
    EXPECT_FALSE(std::filesystem::exists(record)) << "the lookup removed it";
    EXPECT_EQ(
        PostMessageW(reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x7FFFFFFFull << 32 | 0x10000)), WM_CLOSE, 0, 0),
        FALSE)
        << "a handle of a process that does not exist";
}

}  // namespace
