// The records behind window handles. Internal to the platform layer.
//
// The table lock guards every record; it is never held while a window
// procedure or the back end runs, so procedures may call back into the
// window layer freely.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "win/message_queue.h"
#include "win/window_backend.h"

namespace movanta::win {

struct WindowClass {
    std::wstring name;
    UINT style = 0;
    WNDPROC procedure = nullptr;
    HINSTANCE instance = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    int windowExtra = 0;
};

struct Window {
    HWND handle = nullptr;
    WindowClass windowClass;
    std::wstring title;
    WNDPROC procedure = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    LONG_PTR userData = 0;
    LONG_PTR id = 0;
    std::vector<LONG_PTR> extra;  // the class's window bytes, a pointer each
    HWND parent = nullptr;        // null for top-level windows
    HWND owner = nullptr;
    std::vector<HWND> children;  // top of the z-order first
    HINSTANCE instance = nullptr;
    RECT rect {};      // in the parent's client area, on the screen for top-level windows
    RECT restored {};  // the rectangle before minimising or maximising
    RECT update {};    // the area to paint, in client coordinates
    bool erase = false;
    bool destroying = false;
    bool messageOnly = false;
    BYTE alpha = 255;            // constant opacity of a layered window
    bool perPixelAlpha = false;  // the surface's alpha is the opacity
    bool shaped = false;
    std::vector<RECT> shape;        // the window region, in window coordinates
    std::shared_ptr<void> surface;  // the pixels the drawing layer keeps for the window
    std::shared_ptr<MessageQueue> queue;
};

struct WindowTable {
    std::mutex lock;
    std::vector<WindowClass> classes;
    std::map<HWND, Window> windows;
    std::vector<HWND> topLevel;  // top of the z-order first
    ULONG_PTR next = 0x10000;
    WindowBackend* backend = nullptr;
    DWORD backendThread = 0;
    HWND active = nullptr;
    HWND focus = nullptr;
    HWND capture = nullptr;
    HWND tracked = nullptr;  // asked for WM_MOUSELEAVE
    HWND hovered = nullptr;  // last window the mouse moved over
    HCURSOR cursor = nullptr;
    POINT cursorPosition {};  // where the mouse was last seen
    WPARAM buttons = 0;       // MK_LBUTTON and MK_RBUTTON as last seen
};

WindowTable& Windows();
// The record, or null; call with the table lock held.
Window* FindLocked(WindowTable& table, HWND window);
// A copy of the record (handle null when there is none).
Window Snapshot(HWND window);
// The top-level window that holds `window` (itself when it is one).
HWND RootLocked(WindowTable& table, HWND window);
// The window's client area on the screen, with the lock held.
RECT ScreenClientLocked(WindowTable& table, const Window& window);

// Sends a message to a window procedure on the calling thread.
inline LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return CallWindowProcedure(window, message, wParam, lParam);
}
// Tells the back end, when the window is its, about a change.
void NotifyBackend(HWND window, unsigned changes);

// The title behind WM_SETTEXT and WM_GETTEXT (a null buffer answers the length).
void SetTitle(HWND window, std::wstring_view text);
LRESULT CopyTitle(HWND window, LPWSTR buffer, size_t capacity);
// A top-level window of this process by class and/or title.
HWND FindLocalWindow(LPCWSTR className, LPCWSTR windowName);

// Moves, sizes, shows or hides a window and reorders it among its siblings,
// with WM_WINDOWPOSCHANGING and WM_WINDOWPOSCHANGED. `fromDesktop`: the
// desktop already did it, so the back end is not told. Answers the flags of
// what did not change (SWP_NOMOVE, SWP_NOSIZE), or -1 for no window.
int PositionWindow(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags, bool fromDesktop);
// Makes the window's top-level window the active one, with WM_ACTIVATE.
void Activate(HWND window, WORD how, bool fromDesktop);
// When the window (being hidden or destroyed) is active, activation passes
// to its visible owner, or to no window.
void PassActivation(HWND window);

// Runs the calling thread's computer-based-training hooks for a window
// being created (before its first message) or destroyed.
void CallCreationHooks(HWND window, CREATESTRUCTW* create);
void CallDestructionHooks(HWND window);

// The calling thread's window that waits for WM_PAINT, parents first.
HWND WindowToPaint(DWORD threadId, HWND filter);
// Wakes the thread that owns the window (after new paint work or input).
void WakeOwner(HWND window);

}  // namespace movanta::win
