// The library as a whole: its module instance and resources (the blank
// dialog template 3000, the splitter cursors 1000 and 1002 and its version
// 1.2.1.2), registered when it loads, and the two functions applications
// call by their plain names.
#pragma once

#include "com/hresult.h"
#include "win/winuser.h"

class CWnd;

inline constexpr UINT CANVAS_BLANK_TEMPLATE = 3000;
inline constexpr WORD CZ_CURSOR_LEFT_RIGHT = 1000;  // over a vertical splitter bar
inline constexpr WORD CZ_CURSOR_UP_DOWN = 1002;     // over a horizontal bar

// The library's module: where its resources are registered.
HINSTANCE CzLibraryInstance();

struct DLLVERSIONINFO {
    DWORD cbSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformID;
};
inline constexpr DWORD DLLVER_PLATFORM_WINDOWS = 1;

extern "C" {
// Data exchange for a control of a canvas: subclasses the canvas's item
// into `control` (popup controls of a per-pixel canvas included) unless it
// already has a window. No such item, or a failed subclassing, throws the
// not-supported exception.
void ZDDX_Control(CWnd* canvas, UINT id, CWnd& control);
// The library's product version: major 1, minor 2, build 1 (the fourth
// number has no field). E_FAIL for a null argument or without the version
// resource.
HRESULT DllGetVersion(DLLVERSIONINFO* info);
}
