// What a windowing back end does for the window layer. Without one the
// windows are records only: they keep their geometry, styles and messages
// but nothing appears on a screen (the headless back end). A back end shows
// the windows of the thread it was installed on; windows of other threads
// stay records.
#pragma once

#include "win/window_picture.h"
#include "win/winuser.h"

namespace movanta::win {

class WindowBackend {
public:
    enum Change : unsigned {
        kGeometry = 1,
        kVisibility = 2,
        kStyle = 4,
        kTitle = 8,
        kEnabled = 16,
        kZOrder = 32,
        kOpacity = 64,
        kShape = 128,
    };

    virtual ~WindowBackend() = default;
    virtual void Created(HWND window) = 0;
    virtual void Destroyed(HWND window) = 0;
    // `changes` is a set of Change bits.
    virtual void Changed(HWND window, unsigned changes) = 0;
    // The window's pixels in `area` (client coordinates) are new.
    virtual void Present(HWND window, const RECT& area) = 0;
    virtual void CaptureChanged(HWND capture) = 0;
    virtual void CursorChanged(HCURSOR cursor) = 0;
    virtual POINT CursorPosition() = 0;
    // The screen less the desktop's panels.
    virtual RECT WorkArea() = 0;
    virtual void Activate(HWND window) = 0;
    // The desktop's own interactive move and resize (edge: HTLEFT..HTBOTTOMRIGHT).
    virtual void StartSystemMove(HWND window) = 0;
    virtual void StartSystemResize(HWND window, LRESULT edge) = 0;
    // Runs the toolkit's events on the back end's thread: waits at most
    // `timeout` ms (INFINITE: until woken or an event came), or none with 0.
    virtual void ProcessEvents(DWORD timeout) = 0;
    // Thread-safe: ends a ProcessEvents wait.
    virtual void Wake() = 0;
    // Thread-safe: `picture` over `area` of the window's client area, above
    // its own pixels and children (an empty picture takes it away). A back
    // end without a screen shows nothing.
    virtual void ShowPicture(HWND, const RECT&, WindowPicture) {}
};

// What the back end reports from the desktop, on its thread.
// A mouse event at a screen point over `over` (the innermost window under
// the pointer, or null): WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP,
// WM_LBUTTONDBLCLK and their right-button forms, with MK_* keys. The window
// layer applies capture, hit-testing (HTTRANSPARENT passes to the parent),
// cursor setting and mouse-leave tracking, and posts the messages.
void DeliverMouse(HWND over, UINT message, POINT screen, WPARAM keys);
// The pointer left the back end's windows.
void DeliverMouseLeave();
// The desktop activated a window, or moved or sized a top-level one.
void DesktopActivated(HWND window);
void DesktopPlaced(HWND window, const RECT& rect);
// The sizes the window's procedure allows (WM_GETMINMAXINFO).
MINMAXINFO QueryMinMaxInfo(HWND window);
// The screen changed: WM_DISPLAYCHANGE to every top-level window.
void DesktopDisplayChanged(int bitsPerPixel, int width, int height);

// Installs the back end for the calling thread's windows (null removes it).
void SetWindowBackend(WindowBackend* backend);
// The back end when the window belongs to its thread, else null.
WindowBackend* BackendOf(HWND window);

}  // namespace movanta::win
