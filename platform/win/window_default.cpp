// The platform's answers to the messages a window procedure passes on.
#include "win/rect.h"
#include "win/window_rendezvous.h"
#include "win/window_surface.h"
#include "win/window_table.h"

using namespace movanta::win;

namespace {

LRESULT HitTest(HWND window, LPARAM where) {
    RECT rect {};
    const POINT point {GET_X_LPARAM(where), GET_Y_LPARAM(where)};
    return GetWindowRect(window, &rect) && PtInRect(&rect, point) ? HTCLIENT : HTNOWHERE;
}

void StartDesktopMove(HWND window, LRESULT hit) {
    HWND root = GetAncestor(window, GA_ROOT);
    WindowBackend* backend = BackendOf(root);
    if (backend == nullptr || IsZoomed(root)) return;
    if (hit == HTCAPTION) {
        backend->StartSystemMove(root);
    } else if (hit >= HTLEFT && hit <= HTBOTTOMRIGHT) {
        backend->StartSystemResize(root, hit);
    }
}

void SendPlacement(HWND window, const WINDOWPOS& pos) {
    if ((pos.flags & SWP_NOMOVE) == 0) Send(window, WM_MOVE, 0, MAKELPARAM(pos.x, pos.y));
    if ((pos.flags & SWP_NOSIZE) == 0) {
        const DWORD style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
        const WPARAM kind = (style & WS_MINIMIZE) != 0   ? SIZE_MINIMIZED
                            : (style & WS_MAXIMIZE) != 0 ? SIZE_MAXIMIZED
                                                         : SIZE_RESTORED;
        Send(window, WM_SIZE, kind, MAKELPARAM(pos.cx, pos.cy));
    }
}

LRESULT SetCursorFor(HWND window, WPARAM wParam, LPARAM lParam) {
    HWND parent = GetAncestor(window, GA_PARENT);
    if (parent != nullptr && Send(parent, WM_SETCURSOR, wParam, lParam) != 0) return TRUE;
    if (LOWORD(static_cast<UINT_PTR>(lParam)) != HTCLIENT) return FALSE;
    const HCURSOR cursor = Snapshot(window).windowClass.cursor;
    if (cursor == nullptr) return FALSE;
    SetCursor(cursor);
    return TRUE;
}

}  // namespace

LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const DefaultPainting* painting = GetDefaultPainting();
    switch (message) {
        case WM_NCCREATE: return TRUE;
        case WM_CLOSE: DestroyWindow(window); return 0;
        case WM_NCHITTEST: return HitTest(window, lParam);
        case WM_NCLBUTTONDOWN: StartDesktopMove(window, static_cast<LRESULT>(wParam)); return 0;
        case WM_WINDOWPOSCHANGED:
            if (lParam != 0) SendPlacement(window, *reinterpret_cast<const WINDOWPOS*>(lParam));
            return 0;
        case WM_PAINT:
            if (painting != nullptr) {
                painting->paint(window);
            } else {
                ValidateRect(window, nullptr);
            }
            return 0;
        case WM_ERASEBKGND: return painting != nullptr ? painting->erase(window, wParam) : 0;
        case WM_SETCURSOR: return SetCursorFor(window, wParam, lParam);
        case WM_SETTEXT: SetTitle(window, lParam == 0 ? L"" : reinterpret_cast<LPCWSTR>(lParam)); return TRUE;
        case WM_GETTEXT: return CopyTitle(window, reinterpret_cast<LPWSTR>(lParam), static_cast<size_t>(wParam));
        case WM_GETTEXTLENGTH: return CopyTitle(window, nullptr, 0);
        case kForegroundRequest: SetForegroundWindow(window); return 0;
        default: return 0;
    }
}
