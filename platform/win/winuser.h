// Windows, window messages, message queues and timers.
//
// Every thread has a message queue, created the first time the thread uses
// one. A window belongs to the thread that created it: messages posted to it
// from any thread are delivered in posting order by that thread's GetMessageW
// or PeekMessageW; SendMessageW from another thread waits until the owner has
// handled the message, handling messages sent to the waiting thread meanwhile,
// so two threads sending to each other do not deadlock.
//
// Windows keep their class, title, styles, procedure, user data, geometry,
// z-order and paint state here; a windowing back end (window_backend.h), when
// one is installed, shows them on the desktop and feeds its input back as
// messages. Without one nothing appears on a screen.
#pragma once

#include "win/window_constants.h"
#include "win/wintypes.h"

struct HICON__;
using HICON = HICON__*;
using HCURSOR = HICON;
struct HBRUSH__;
using HBRUSH = HBRUSH__*;
struct HMENU__;
using HMENU = HMENU__*;

using WNDPROC = LRESULT (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
using TIMERPROC = void (*)(HWND window, UINT message, UINT_PTR timerId, DWORD tickCount);

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

struct WNDCLASSW {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCWSTR lpszMenuName;
    LPCWSTR lpszClassName;
};

struct WNDCLASSEXW {
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCWSTR lpszMenuName;
    LPCWSTR lpszClassName;
    HICON hIconSm;
};

struct CREATESTRUCTW {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCWSTR lpszName;
    LPCWSTR lpszClass;
    DWORD dwExStyle;
};

struct PAINTSTRUCT;
struct HDWP__;
using HDWP = HDWP__*;

ATOM RegisterClassW(const WNDCLASSW* windowClass);
ATOM RegisterClassExW(const WNDCLASSEXW* windowClass);
BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance);
BOOL GetClassInfoW(HINSTANCE instance, LPCWSTR className, WNDCLASSW* windowClass);
// Messages in order: WM_GETMINMAXINFO (top-level windows), WM_NCCREATE,
// WM_CREATE (lParam: CREATESTRUCTW*), WM_SIZE, WM_MOVE, WM_PARENTNOTIFY to
// the parent (unless WS_EX_NOPARENTNOTIFY), then the showing messages when
// WS_VISIBLE is asked for. A WM_CREATE answer of -1 or a WM_NCCREATE answer
// of 0 destroys the window again and returns null. A window that is not a
// child takes `parent` as its owner.
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter);
// Destroys owned windows first, then hides the window, sends WM_DESTROY to
// it and then to its children, and WM_NCDESTROY to the children before the
// window itself. Only the owning thread may destroy.
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
BOOL IsChild(HWND parent, HWND window);
HWND GetParent(HWND window);
HWND GetAncestor(HWND window, UINT flags);
HWND GetWindow(HWND window, UINT relation);
HWND GetDlgItem(HWND dialog, int id);
int GetDlgCtrlID(HWND window);
DWORD GetWindowThreadProcessId(HWND window, LPDWORD processId);

// Geometry. Top-level windows are placed on the screen, children in their
// parent's client area; the client area is the whole window.
BOOL GetWindowRect(HWND window, RECT* rect);
BOOL GetClientRect(HWND window, RECT* rect);
BOOL ClientToScreen(HWND window, POINT* point);
BOOL ScreenToClient(HWND window, POINT* point);
int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count);
// Sends WM_WINDOWPOSCHANGING (which may alter the record) and
// WM_WINDOWPOSCHANGED; DefWindowProcW turns the latter into WM_MOVE and WM_SIZE.
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
HDWP BeginDeferWindowPos(int count);
// Entries for the same window merge; the result replaces the handle.
HDWP DeferWindowPos(HDWP positions, HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);
BOOL EndDeferWindowPos(HDWP positions);
// WM_SHOWWINDOW, then the position messages; SW_MINIMIZE, SW_MAXIMIZE
// (sized by WM_GETMINMAXINFO) and SW_RESTORE send WM_SIZE with their kind.
// Answers whether the window was visible before.
BOOL ShowWindow(HWND window, int command);
BOOL IsWindowVisible(HWND window);
BOOL IsIconic(HWND window);
BOOL IsZoomed(HWND window);
BOOL BringWindowToTop(HWND window);
// Sends WM_ENABLE; answers whether the window was disabled before.
BOOL EnableWindow(HWND window, BOOL enable);
BOOL IsWindowEnabled(HWND window);

// Activation and focus. WM_ACTIVATE goes to the window losing and the one
// gaining activation; SetForegroundWindow also raises the window on the
// desktop, in another process too.
HWND GetActiveWindow();
HWND SetActiveWindow(HWND window);
HWND GetForegroundWindow();
BOOL SetForegroundWindow(HWND window);
HWND GetFocus();
HWND SetFocus(HWND window);

// Painting state. The update area of a window is the bounding box of what
// was invalidated; WM_PAINT comes when the queue holds nothing else and
// stays until the area is validated (BeginPaint, ValidateRect, DefWindowProcW).
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND window, const RECT* rect);
BOOL GetUpdateRect(HWND window, RECT* rect, BOOL erase);
BOOL RedrawWindow(HWND window, const RECT* rect, void* region, UINT flags);
// Sends WM_PAINT at once when the window has something to paint.
BOOL UpdateWindow(HWND window);

// Mouse. While a window has the capture every mouse message goes to it.
HWND SetCapture(HWND window);
BOOL ReleaseCapture();
HWND GetCapture();
// TME_LEAVE: one WM_MOUSELEAVE when the mouse leaves the window.
BOOL TrackMouseEvent(TRACKMOUSEEVENT* request);
BOOL GetCursorPos(POINT* point);
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
HWND WindowFromPoint(POINT point);
// The high bit when the mouse button (VK_LBUTTON, VK_RBUTTON) is down, as
// the last mouse input said; other keys answer 0.
inline constexpr int VK_LBUTTON = 0x01;
inline constexpr int VK_RBUTTON = 0x02;
SHORT GetKeyState(int key);
SHORT GetAsyncKeyState(int key);
HWND ChildWindowFromPoint(HWND parent, POINT point);

// Answers: WM_CLOSE destroys the window, WM_NCHITTEST gives HTCLIENT inside
// the window, WM_NCLBUTTONDOWN on a caption or border starts the desktop's
// move or resize, WM_WINDOWPOSCHANGED sends WM_MOVE and WM_SIZE, WM_PAINT
// validates, WM_SETCURSOR asks the parent and then sets the class cursor,
// WM_GETTEXT and WM_SETTEXT work on the title; every other message answers 0.
LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// A message number (0xC000-0xFFFF) for the name, the same in every process
// of the user and for any letter case; 0 for an empty name, a name longer
// than 255 characters or when the numbers are used up.
UINT RegisterWindowMessageW(LPCWSTR name);
LRESULT CallWindowProcW(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LONG_PTR GetWindowLongPtrW(HWND window, int index);
// Returns the previous value; GWLP_WNDPROC replaces the window's procedure.
LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR value);
LONG GetWindowLongW(HWND window, int index);
LONG SetWindowLongW(HWND window, int index, LONG value);

int GetClassNameW(HWND window, LPWSTR buffer, int capacity);
int GetWindowTextW(HWND window, LPWSTR buffer, int capacity);
int GetWindowTextLengthW(HWND window);
BOOL SetWindowTextW(HWND window, LPCWSTR text);
// Top-level windows by class name and/or title (null matches any); class
// names compare without regard to ASCII case, titles exactly. Windows of
// this process come first, then those of the user's other processes, to
// which PostMessageW (values only), SetForegroundWindow, IsWindow and
// GetWindowThreadProcessId reach too.
HWND FindWindowW(LPCWSTR className, LPCWSTR windowName);
HWND FindWindowA(LPCSTR className, LPCSTR windowName);

// Computer-based-training hooks of the calling thread (WH_CBT): called with
// HCBT_CREATEWND (wParam: the window, lParam: CBT_CREATEWNDW*) before a new
// window's first message and with HCBT_DESTROYWND before WM_DESTROY. Hooks
// of other kinds or threads are refused.
inline constexpr int WH_CBT = 5;
inline constexpr int HCBT_CREATEWND = 3;
inline constexpr int HCBT_DESTROYWND = 4;
struct HHOOK__;
using HHOOK = HHOOK__*;
using HOOKPROC = LRESULT (*)(int code, WPARAM wParam, LPARAM lParam);
struct CBT_CREATEWNDW {
    CREATESTRUCTW* lpcs;
    HWND hwndInsertAfter;
};
HHOOK SetWindowsHookExW(int kind, HOOKPROC procedure, HINSTANCE instance, DWORD threadId);
BOOL UnhookWindowsHookEx(HHOOK hook);
LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam);

// A null window posts to the calling thread.
BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessageW(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Returns 0 for WM_QUIT, -1 on error, otherwise nonzero.
BOOL GetMessageW(MSG* message, HWND window, UINT filterMin, UINT filterMax);
BOOL PeekMessageW(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
BOOL TranslateMessage(const MSG* message);
LRESULT DispatchMessageW(const MSG* message);
void PostQuitMessage(int exitCode);

// WM_TIMER is generated when the queue holds nothing else for the filter; a
// timer never queues more than one. Without a window the id is chosen by the
// system and the timer belongs to the calling thread.
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure);
BOOL KillTimer(HWND window, UINT_PTR id);
