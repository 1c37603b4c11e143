// Where windows are, their size, visibility, z-order and enabled state.
#include <algorithm>
#include <memory>
#include <vector>

#include "win/rect.h"
#include "win/window_table.h"

namespace movanta::win {
namespace {

constexpr RECT kHeadlessWorkArea {0, 0, 1024, 768};

LONG Width(const RECT& rect) {
    return rect.right - rect.left;
}
LONG Height(const RECT& rect) {
    return rect.bottom - rect.top;
}

void Reorder(WindowTable& table, Window& window, HWND insertAfter) {
    Window* parent = FindLocked(table, window.parent);
    std::vector<HWND>& siblings = parent != nullptr ? parent->children : table.topLevel;
    if (window.messageOnly || insertAfter == window.handle) return;
    std::erase(siblings, window.handle);
    if (insertAfter == HWND_TOPMOST) window.exStyle |= WS_EX_TOPMOST;
    if (insertAfter == HWND_NOTOPMOST) window.exStyle &= ~WS_EX_TOPMOST;
    auto position = siblings.begin();
    if (insertAfter == HWND_BOTTOM) {
        position = siblings.end();
    } else if (insertAfter != HWND_TOP && insertAfter != HWND_TOPMOST && insertAfter != HWND_NOTOPMOST) {
        const auto after = std::find(siblings.begin(), siblings.end(), insertAfter);
        if (after != siblings.end()) position = after + 1;
    }
    siblings.insert(position, window.handle);
}

WPARAM SizeKind(DWORD style) {
    if ((style & WS_MINIMIZE) != 0) return SIZE_MINIMIZED;
    return (style & WS_MAXIMIZE) != 0 ? SIZE_MAXIMIZED : SIZE_RESTORED;
}

RECT WorkAreaOf(HWND window) {
    WindowBackend* backend = BackendOf(window);
    return backend != nullptr ? backend->WorkArea() : kHeadlessWorkArea;
}

// Sets or clears style bits; answers the previous style.
DWORD ChangeStyle(HWND handle, DWORD set, DWORD clear) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    Window* window = FindLocked(table, handle);
    if (window == nullptr) return 0;
    const DWORD previous = window->style;
    window->style = (previous & ~clear) | set;
    if ((previous & (WS_MINIMIZE | WS_MAXIMIZE)) == 0 && (set & (WS_MINIMIZE | WS_MAXIMIZE)) != 0) {
        window->restored = window->rect;
    }
    return previous;
}

}  // namespace

int PositionWindow(HWND handle, HWND insertAfter, int x, int y, int width, int height, UINT flags, bool fromDesktop) {
    const Window before = Snapshot(handle);
    if (before.handle == nullptr) return -1;
    WINDOWPOS pos {handle, insertAfter, x, y, width, height, flags};
    if ((flags & SWP_NOMOVE) != 0) {
        pos.x = before.rect.left;
        pos.y = before.rect.top;
    }
    if ((flags & SWP_NOSIZE) != 0) {
        pos.cx = Width(before.rect);
        pos.cy = Height(before.rect);
    }
    if ((flags & SWP_NOSENDCHANGING) == 0) Send(handle, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    unsigned changes = 0;
    UINT unchanged = 0;
    {
        WindowTable& table = Windows();
        std::lock_guard guard(table.lock);
        Window* window = FindLocked(table, handle);
        if (window == nullptr) return -1;
        const RECT rect {pos.x, pos.y, pos.x + std::max(pos.cx, 0), pos.y + std::max(pos.cy, 0)};
        if (rect.left == window->rect.left && rect.top == window->rect.top) unchanged |= SWP_NOMOVE;
        if (Width(rect) == Width(window->rect) && Height(rect) == Height(window->rect)) unchanged |= SWP_NOSIZE;
        if ((unchanged & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE)) changes |= WindowBackend::kGeometry;
        window->rect = rect;
        const bool wasVisible = (window->style & WS_VISIBLE) != 0;
        if ((pos.flags & SWP_SHOWWINDOW) != 0) window->style |= WS_VISIBLE;
        if ((pos.flags & SWP_HIDEWINDOW) != 0) window->style &= ~WS_VISIBLE;
        const bool visible = (window->style & WS_VISIBLE) != 0;
        if (visible != wasVisible) changes |= WindowBackend::kVisibility;
        if ((pos.flags & SWP_NOZORDER) == 0) {
            Reorder(table, *window, pos.hwndInsertAfter);
            changes |= WindowBackend::kZOrder;
        }
        if ((pos.flags & SWP_FRAMECHANGED) != 0) changes |= WindowBackend::kStyle;
        const bool resized = (unchanged & SWP_NOSIZE) == 0;
        if (visible && (pos.flags & SWP_NOREDRAW) == 0 && (resized || !wasVisible)) {
            window->update = {0, 0, Width(rect), Height(rect)};
            window->erase = true;
        } else if (resized) {
            RECT clipped {};
            const RECT client {0, 0, Width(rect), Height(rect)};
            IntersectRect(&clipped, &window->update, &client);
            window->update = clipped;
        }
    }
    if (!fromDesktop && changes != 0) NotifyBackend(handle, changes);
    pos.flags = (pos.flags & ~(SWP_NOMOVE | SWP_NOSIZE)) | unchanged;
    Send(handle, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    WakeOwner(handle);
    return static_cast<int>(unchanged);
}

void DesktopPlaced(HWND window, const RECT& rect) {
    PositionWindow(window, nullptr, rect.left, rect.top, Width(rect), Height(rect), SWP_NOZORDER | SWP_NOACTIVATE,
                   true);
}

MINMAXINFO QueryMinMaxInfo(HWND window) {
    const RECT work = WorkAreaOf(window);
    MINMAXINFO info {};
    info.ptMaxSize = {Width(work), Height(work)};
    info.ptMaxPosition = {work.left, work.top};
    info.ptMaxTrackSize = {32767, 32767};
    Send(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    return info;
}

}  // namespace movanta::win

using namespace movanta::win;

BOOL GetWindowRect(HWND handle, RECT* rect) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    const Window* window = FindLocked(table, handle);
    if (window == nullptr || rect == nullptr) return FALSE;
    *rect = ScreenClientLocked(table, *window);
    return TRUE;
}

BOOL GetClientRect(HWND handle, RECT* rect) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    const Window* window = FindLocked(table, handle);
    if (window == nullptr || rect == nullptr) return FALSE;
    *rect = {0, 0, Width(window->rect), Height(window->rect)};
    return TRUE;
}

namespace movanta::win {
namespace {

// Moves the point by the window's screen origin, times `sign`.
BOOL ShiftByOrigin(HWND handle, POINT* point, int sign) {
    RECT screen {};
    if (point == nullptr || !GetWindowRect(handle, &screen)) return FALSE;
    point->x += sign * screen.left;
    point->y += sign * screen.top;
    return TRUE;
}

}  // namespace
}  // namespace movanta::win

BOOL ClientToScreen(HWND handle, POINT* point) {
    return ShiftByOrigin(handle, point, 1);
}

BOOL ScreenToClient(HWND handle, POINT* point) {
    return ShiftByOrigin(handle, point, -1);
}

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count) {
    RECT source {};
    RECT target {};
    if (from != nullptr && !GetWindowRect(from, &source)) return 0;
    if (to != nullptr && !GetWindowRect(to, &target)) return 0;
    const LONG dx = source.left - target.left;
    const LONG dy = source.top - target.top;
    for (UINT i = 0; points != nullptr && i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    return static_cast<int>(MAKELPARAM(dx, dy));
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
    if (PositionWindow(window, insertAfter, x, y, width, height, flags, false) < 0) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if ((flags & (SWP_NOACTIVATE | SWP_HIDEWINDOW)) == 0 && IsWindowVisible(window) &&
        (GetWindowLongW(window, GWL_STYLE) & WS_CHILD) == 0) {
        Activate(window, WA_ACTIVE, false);
    }
    return TRUE;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
    return SetWindowPos(window, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0U : SWP_NOREDRAW));
}

namespace movanta::win {
namespace {

struct DeferredPositions {
    std::vector<WINDOWPOS> entries;
};

}  // namespace
}  // namespace movanta::win

HDWP BeginDeferWindowPos(int count) {
    if (count < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* positions = new DeferredPositions;
    positions->entries.reserve(static_cast<size_t>(std::min(count, 1024)));
    return reinterpret_cast<HDWP>(positions);
}

HDWP DeferWindowPos(HDWP handle, HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
    auto* positions = reinterpret_cast<DeferredPositions*>(handle);
    if (positions == nullptr) return nullptr;
    if (!IsWindow(window)) {
        delete positions;
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    const WINDOWPOS entry {window, insertAfter, x, y, width, height, flags};
    auto it = std::find_if(positions->entries.begin(), positions->entries.end(),
                           [&](const WINDOWPOS& e) { return e.hwnd == window; });
    if (it != positions->entries.end()) {
        WINDOWPOS merged = entry;
        if ((flags & SWP_NOMOVE) != 0 && (it->flags & SWP_NOMOVE) == 0) {
            merged.x = it->x;
            merged.y = it->y;
            merged.flags &= ~SWP_NOMOVE;
        }
        if ((flags & SWP_NOSIZE) != 0 && (it->flags & SWP_NOSIZE) == 0) {
            merged.cx = it->cx;
            merged.cy = it->cy;
            merged.flags &= ~SWP_NOSIZE;
        }
        *it = merged;
    } else {
        positions->entries.push_back(entry);
    }
    return handle;
}

BOOL EndDeferWindowPos(HDWP handle) {
    std::unique_ptr<DeferredPositions> positions(reinterpret_cast<DeferredPositions*>(handle));
    if (!positions) return FALSE;
    BOOL all = TRUE;
    for (const WINDOWPOS& e : positions->entries) {
        if (!SetWindowPos(e.hwnd, e.hwndInsertAfter, e.x, e.y, e.cx, e.cy, e.flags)) all = FALSE;
    }
    return all;
}

BOOL ShowWindow(HWND handle, int command) {
    const Window window = Snapshot(handle);
    if (window.handle == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    const bool wasVisible = (window.style & WS_VISIBLE) != 0;
    const bool topLevel = window.parent == nullptr;
    const UINT keep = SWP_NOZORDER | SWP_NOACTIVATE;
    if (command == SW_HIDE) {
        if (!wasVisible) return FALSE;
        Send(handle, WM_SHOWWINDOW, FALSE, 0);
        PositionWindow(handle, nullptr, 0, 0, 0, 0, keep | SWP_NOMOVE | SWP_NOSIZE | SWP_HIDEWINDOW, false);
        PassActivation(handle);
        return TRUE;
    }
    if (!wasVisible) Send(handle, WM_SHOWWINDOW, TRUE, 0);
    DWORD previous = window.style;
    RECT target = window.rect;
    WPARAM kind = SIZE_RESTORED;
    switch (command) {
        case SW_MINIMIZE:
        case SW_SHOWMINIMIZED:
        case SW_SHOWMINNOACTIVE:
            previous = ChangeStyle(handle, WS_MINIMIZE, WS_MAXIMIZE);
            kind = SIZE_MINIMIZED;
            break;
        case SW_MAXIMIZE: {
            previous = ChangeStyle(handle, WS_MAXIMIZE, WS_MINIMIZE);
            const MINMAXINFO info = QueryMinMaxInfo(handle);
            target = {info.ptMaxPosition.x, info.ptMaxPosition.y, info.ptMaxPosition.x + info.ptMaxSize.x,
                      info.ptMaxPosition.y + info.ptMaxSize.y};
            kind = SIZE_MAXIMIZED;
            break;
        }
        case SW_RESTORE:
        case SW_SHOWNORMAL:
            if ((window.style & (WS_MINIMIZE | WS_MAXIMIZE)) != 0) {
                previous = ChangeStyle(handle, 0, WS_MINIMIZE | WS_MAXIMIZE);
                target = window.restored;
            }
            break;
        default: break;
    }
    const bool stateChanged = SizeKind(previous) != kind;
    const UINT flags = keep | SWP_SHOWWINDOW | (stateChanged ? SWP_FRAMECHANGED : 0U);
    const int unchanged =
        PositionWindow(handle, nullptr, target.left, target.top, Width(target), Height(target), flags, false);
    if (stateChanged && unchanged >= 0 && (unchanged & SWP_NOSIZE) != 0) {
        Send(handle, WM_SIZE, kind, kind == SIZE_MINIMIZED ? 0 : MAKELPARAM(Width(target), Height(target)));
    }
    const bool activates =
        command != SW_SHOWNA && command != SW_SHOWNOACTIVATE && command != SW_SHOWMINNOACTIVE && command != SW_MINIMIZE;
    if (topLevel && activates && !window.messageOnly) Activate(handle, WA_ACTIVE, false);
    return wasVisible ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND handle) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    for (const Window* window = FindLocked(table, handle); window != nullptr;
         window = FindLocked(table, window->parent)) {
        if ((window->style & WS_VISIBLE) == 0) return FALSE;
        if (window->parent == nullptr) return TRUE;
    }
    return FALSE;
}

BOOL IsIconic(HWND handle) {
    return (GetWindowLongW(handle, GWL_STYLE) & WS_MINIMIZE) != 0 ? TRUE : FALSE;
}

BOOL IsZoomed(HWND handle) {
    return (GetWindowLongW(handle, GWL_STYLE) & WS_MAXIMIZE) != 0 ? TRUE : FALSE;
}

BOOL BringWindowToTop(HWND handle) {
    return SetWindowPos(handle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

BOOL EnableWindow(HWND handle, BOOL enable) {
    const DWORD previous = ChangeStyle(handle, enable ? 0 : WS_DISABLED, enable ? WS_DISABLED : 0);
    const bool wasDisabled = (previous & WS_DISABLED) != 0;
    if (wasDisabled == !enable) return wasDisabled ? TRUE : FALSE;
    if (!enable && GetFocus() == handle) SetFocus(nullptr);
    NotifyBackend(handle, WindowBackend::kEnabled);
    Send(handle, WM_ENABLE, enable ? TRUE : FALSE, 0);
    return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND handle) {
    return IsWindow(handle) && (GetWindowLongW(handle, GWL_STYLE) & WS_DISABLED) == 0 ? TRUE : FALSE;
}
