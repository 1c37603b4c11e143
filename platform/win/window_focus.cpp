// The active top-level window and the window with the keyboard focus.
#include <utility>

#include "win/window_rendezvous.h"
#include "win/window_table.h"

namespace movanta::win {

void Activate(HWND handle, WORD how, bool fromDesktop) {
    HWND previous = nullptr;
    HWND root = nullptr;
    {
        WindowTable& table = Windows();
        std::lock_guard guard(table.lock);
        root = handle == nullptr ? nullptr : RootLocked(table, handle);
        if (handle != nullptr && root == nullptr) return;
        if (table.active == root) return;
        previous = std::exchange(table.active, root);
    }
    if (previous == nullptr && root != nullptr) Send(root, WM_ACTIVATEAPP, TRUE, 0);
    if (previous != nullptr) {
        Send(previous, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, IsIconic(previous) ? 1 : 0),
             reinterpret_cast<LPARAM>(root));
    }
    if (root == nullptr) {
        if (previous != nullptr) Send(previous, WM_ACTIVATEAPP, FALSE, 0);
        return;
    }
    Send(root, WM_ACTIVATE, MAKEWPARAM(how, IsIconic(root) ? 1 : 0), reinterpret_cast<LPARAM>(previous));
    if (!fromDesktop) {
        if (WindowBackend* backend = BackendOf(root)) backend->Activate(root);
    }
}

void PassActivation(HWND window) {
    if (GetActiveWindow() != window) return;
    const HWND owner = GetWindow(window, GW_OWNER);
    Activate(owner != nullptr && IsWindowVisible(owner) ? owner : nullptr, WA_ACTIVE, false);
}

void DesktopActivated(HWND window) {
    Activate(window, WA_ACTIVE, true);
}

}  // namespace movanta::win

using namespace movanta::win;

HWND GetActiveWindow() {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    return table.active;
}

HWND SetActiveWindow(HWND window) {
    const HWND previous = GetActiveWindow();
    if (window != nullptr && !IsWindow(window)) return nullptr;
    Activate(window, WA_ACTIVE, false);
    return previous;
}

HWND GetForegroundWindow() {
    return GetActiveWindow();
}

HWND GetFocus() {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    return table.focus;
}

HWND SetFocus(HWND window) {
    HWND previous = nullptr;
    {
        WindowTable& table = Windows();
        std::lock_guard guard(table.lock);
        if (window != nullptr && FindLocked(table, window) == nullptr) return nullptr;
        if (table.focus == window) return window;
        previous = std::exchange(table.focus, window);
    }
    if (previous != nullptr) Send(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    if (window != nullptr) {
        Activate(window, WA_ACTIVE, false);
        Send(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    }
    return previous;
}

BOOL SetForegroundWindow(HWND window) {
    if (IsRemoteWindow(window)) return ForegroundRemote(window) ? TRUE : FALSE;
    if (!IsWindow(window)) return FALSE;
    const HWND before = GetActiveWindow();
    Activate(window, WA_ACTIVE, false);
    // Another program's window may hold the desktop's focus without this
    // process having heard of it: a window this process counts active
    // already is raised on the desktop all the same.
    const HWND root = GetActiveWindow();
    if (root != nullptr && root == before) {
        if (WindowBackend* backend = BackendOf(root)) backend->Activate(root);
    }
    return TRUE;
}
