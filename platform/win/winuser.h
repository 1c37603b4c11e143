// Windows, window messages, message queues and timers.
//
// Every thread has a message queue, created the first time the thread uses
// one. A window belongs to the thread that created it: messages posted to it
// from any thread are delivered in posting order by that thread's GetMessageW
// or PeekMessageW; SendMessageW from another thread waits until the owner has
// handled the message, handling messages sent to the waiting thread meanwhile,
// so two threads sending to each other do not deadlock.
//
// This is the headless back end: windows have a class, a title, a procedure
// and user data, but nothing is drawn.
#pragma once

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

struct POINT {
    LONG x;
    LONG y;
};

struct SIZE {
    LONG cx;
    LONG cy;
};

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

inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_CREATE = 0x0001;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_NCCREATE = 0x0081;
inline constexpr UINT WM_NCDESTROY = 0x0082;
inline constexpr UINT WM_COMMAND = 0x0111;  // wParam: notification code << 16 | control id
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_USER = 0x0400;
inline constexpr UINT WM_APP = 0x8000;

inline constexpr WORD LOWORD(WPARAM value) { return static_cast<WORD>(value & 0xFFFF); }
inline constexpr WORD HIWORD(WPARAM value) { return static_cast<WORD>((value >> 16) & 0xFFFF); }

inline constexpr int GWLP_WNDPROC = -4;
inline constexpr int GWLP_HINSTANCE = -6;
inline constexpr int GWLP_ID = -12;
inline constexpr int GWLP_USERDATA = -21;

inline constexpr UINT PM_NOREMOVE = 0x0000;
inline constexpr UINT PM_REMOVE = 0x0001;
inline constexpr UINT USER_TIMER_MINIMUM = 0x0000000A;

inline const HWND HWND_MESSAGE = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-3));

ATOM RegisterClassW(const WNDCLASSW* windowClass);
BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance);
// Sends WM_NCCREATE and WM_CREATE (lParam: CREATESTRUCTW*) to the class's
// procedure; a WM_CREATE answer of -1 or a WM_NCCREATE answer of 0 destroys
// the window again and returns null.
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter);
// Sends WM_DESTROY and WM_NCDESTROY; only the owning thread may destroy.
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
HWND GetParent(HWND window);
// (0, 0, width, height) of the size the window was created with.
BOOL GetClientRect(HWND window, RECT* rect);
DWORD GetWindowThreadProcessId(HWND window, LPDWORD processId);

// WM_CLOSE destroys the window; every other message answers 0.
LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// A message number (0xC000-0xFFFF) for the name, the same in every process
// of the user and for any letter case; 0 for an empty name, a name longer
// than 255 characters or when the numbers are used up.
UINT RegisterWindowMessageW(LPCWSTR name);
LRESULT CallWindowProcW(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LONG_PTR GetWindowLongPtrW(HWND window, int index);
// Returns the previous value; GWLP_WNDPROC replaces the window's procedure.
LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR value);

int GetClassNameW(HWND window, LPWSTR buffer, int capacity);
int GetWindowTextW(HWND window, LPWSTR buffer, int capacity);
BOOL SetWindowTextW(HWND window, LPCWSTR text);
// Top-level windows of this process by class name and/or title (null matches
// any); class names compare without regard to ASCII case, titles exactly.
HWND FindWindowW(LPCWSTR className, LPCWSTR windowName);
HWND FindWindowA(LPCSTR className, LPCSTR windowName);

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
