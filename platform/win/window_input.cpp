// Mouse input: capture, hit-testing, cursors and mouse-leave tracking.
#include <algorithm>
#include <utility>
#include <vector>

#include "win/rect.h"
#include "win/thread.h"
#include "win/window_table.h"

namespace movanta::win {
namespace {

HWND ChildAtLocked(WindowTable& table, const std::vector<HWND>& handles, POINT screen) {
    for (HWND handle : handles) {
        const Window& window = table.windows.at(handle);
        if ((window.style & WS_VISIBLE) == 0) continue;
        const RECT rect = ScreenClientLocked(table, window);
        if (!PtInRect(&rect, screen)) continue;
        HWND inner = ChildAtLocked(table, window.children, screen);
        return inner != nullptr ? inner : handle;
    }
    return nullptr;
}

bool IsPress(UINT message) {
    return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_LBUTTONDBLCLK ||
           message == WM_RBUTTONDBLCLK;
}

// The window under `screen` among the top-level windows behind `top`.
HWND BehindLocked(WindowTable& table, HWND top, POINT screen) {
    const std::vector<HWND>& order = table.topLevel;
    const auto at = std::find(order.begin(), order.end(), top);
    if (at == order.end()) return nullptr;
    return ChildAtLocked(table, std::vector<HWND>(at + 1, order.end()), screen);
}

// The window that takes a press at `screen` over `over`, and its hit-test
// answer: a transparent answer passes the press to the parent, and from a
// top-level window to the window behind it.
std::pair<HWND, LRESULT> HitTarget(HWND over, POINT screen) {
    const LPARAM where = MAKELPARAM(screen.x, screen.y);
    for (HWND target = over; target != nullptr;) {
        const LRESULT hit = Send(target, WM_NCHITTEST, 0, where);
        if (hit != HTTRANSPARENT) return {target, hit};
        HWND next = GetAncestor(target, GA_PARENT);
        if (next == nullptr) {
            WindowTable& table = Windows();
            std::lock_guard guard(table.lock);
            next = BehindLocked(table, target, screen);
        }
        target = next;
    }
    return {nullptr, HTNOWHERE};
}

void PostLeave(HWND window) {
    if (window != nullptr) PostMessageW(window, WM_MOUSELEAVE, 0, 0);
}

}  // namespace

void DeliverMouse(HWND over, UINT message, POINT screen, WPARAM keys) {
    HWND capture = nullptr;
    {
        WindowTable& table = Windows();
        std::lock_guard guard(table.lock);
        table.cursorPosition = screen;
        table.buttons = keys & (MK_LBUTTON | MK_RBUTTON);
        capture = table.capture;
    }
    HWND target = capture;
    LRESULT hit = HTCLIENT;
    if (target == nullptr) {
        std::tie(target, hit) = HitTarget(over, screen);
        if (target == nullptr || !IsWindowEnabled(target)) return;
        Send(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(static_cast<int>(hit), message));
    }
    HWND left = nullptr;
    {
        WindowTable& table = Windows();
        std::lock_guard guard(table.lock);
        if (message == WM_MOUSEMOVE && table.tracked != nullptr && table.tracked != target) {
            left = std::exchange(table.tracked, nullptr);
        }
        table.hovered = target;
    }
    PostLeave(left);
    const Window window = Snapshot(target);
    // Double clicks in the client area need CS_DBLCLKS; on the frame and caption they always come.
    if ((message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK) && hit == HTCLIENT &&
        (window.windowClass.style & CS_DBLCLKS) == 0) {
        message = message == WM_LBUTTONDBLCLK ? WM_LBUTTONDOWN : WM_RBUTTONDOWN;
    }
    if (IsPress(message) && (window.style & WS_CHILD) == 0 && GetActiveWindow() != target) {
        Activate(target, WA_CLICKACTIVE, false);
    }
    if (hit == HTCLIENT) {
        POINT client = screen;
        ScreenToClient(target, &client);
        PostMessageW(target, message, keys, MAKELPARAM(client.x, client.y));
    } else {
        PostMessageW(target, message - WM_MOUSEMOVE + WM_NCMOUSEMOVE, static_cast<WPARAM>(hit),
                     MAKELPARAM(screen.x, screen.y));
    }
}

void DeliverMouseLeave() {
    HWND left = nullptr;
    {
        WindowTable& table = Windows();
        std::lock_guard guard(table.lock);
        if (table.capture != nullptr) return;
        left = std::exchange(table.tracked, nullptr);
        table.hovered = nullptr;
    }
    PostLeave(left);
}

void DesktopDisplayChanged(int bitsPerPixel, int width, int height) {
    std::vector<HWND> windows;
    {
        WindowTable& table = Windows();
        std::lock_guard guard(table.lock);
        windows = table.topLevel;
    }
    for (HWND window : windows) {
        Send(window, WM_DISPLAYCHANGE, static_cast<WPARAM>(bitsPerPixel), MAKELPARAM(width, height));
    }
}

}  // namespace movanta::win

using namespace movanta::win;

HWND SetCapture(HWND window) {
    HWND previous = nullptr;
    WindowBackend* backend = nullptr;
    {
        WindowTable& table = Windows();
        std::lock_guard guard(table.lock);
        if (FindLocked(table, window) == nullptr) return nullptr;
        previous = std::exchange(table.capture, window);
        backend = table.backend;
    }
    if (previous != nullptr && previous != window) {
        Send(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(window));
    }
    if (BackendOf(window) == backend && backend != nullptr) backend->CaptureChanged(window);
    return previous;
}

BOOL ReleaseCapture() {
    HWND previous = nullptr;
    WindowBackend* backend = nullptr;
    {
        WindowTable& table = Windows();
        std::lock_guard guard(table.lock);
        previous = std::exchange(table.capture, nullptr);
        backend = table.backend;
    }
    if (previous == nullptr) return TRUE;
    if (BackendOf(previous) == backend && backend != nullptr) backend->CaptureChanged(nullptr);
    Send(previous, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND GetCapture() {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    return table.capture;
}

BOOL TrackMouseEvent(TRACKMOUSEEVENT* request) {
    if (request == nullptr || request->cbSize != sizeof(TRACKMOUSEEVENT) || !IsWindow(request->hwndTrack)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if ((request->dwFlags & TME_LEAVE) == 0) return TRUE;
    bool leftAlready = false;
    {
        WindowTable& table = Windows();
        std::lock_guard guard(table.lock);
        if ((request->dwFlags & TME_CANCEL) != 0) {
            if (table.tracked == request->hwndTrack) table.tracked = nullptr;
            return TRUE;
        }
        // Asked while the mouse is elsewhere: the leave is already due.
        leftAlready = table.hovered != request->hwndTrack;
        table.tracked = leftAlready ? nullptr : request->hwndTrack;
    }
    if (leftAlready) PostLeave(request->hwndTrack);
    return TRUE;
}

BOOL GetCursorPos(POINT* point) {
    if (point == nullptr) return FALSE;
    WindowBackend* backend = nullptr;
    {
        WindowTable& table = Windows();
        std::lock_guard guard(table.lock);
        *point = table.cursorPosition;
        backend = table.backend;
    }
    if (backend != nullptr) *point = backend->CursorPosition();
    return TRUE;
}

HCURSOR SetCursor(HCURSOR cursor) {
    HCURSOR previous = nullptr;
    WindowBackend* backend = nullptr;
    {
        WindowTable& table = Windows();
        std::lock_guard guard(table.lock);
        previous = std::exchange(table.cursor, cursor);
        if (table.backendThread == GetCurrentThreadId()) backend = table.backend;
    }
    if (backend != nullptr && previous != cursor) backend->CursorChanged(cursor);
    return previous;
}

SHORT GetKeyState(int key) {
    const WPARAM button = key == VK_LBUTTON ? MK_LBUTTON : key == VK_RBUTTON ? MK_RBUTTON : 0;
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    return button != 0 && (table.buttons & button) != 0 ? static_cast<SHORT>(0x8000) : 0;
}

SHORT GetAsyncKeyState(int key) {
    return GetKeyState(key);
}

HCURSOR GetCursor() {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    return table.cursor;
}

HWND WindowFromPoint(POINT point) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    return ChildAtLocked(table, table.topLevel, point);
}

HWND ChildWindowFromPoint(HWND parent, POINT point) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    const Window* window = FindLocked(table, parent);
    if (window == nullptr) return nullptr;
    const RECT client {0, 0, window->rect.right - window->rect.left, window->rect.bottom - window->rect.top};
    if (!PtInRect(&client, point)) return nullptr;
    for (HWND child : window->children) {
        if (PtInRect(&table.windows.at(child).rect, point)) return child;
    }
    return parent;
}
