// Top-level windows of other processes of the same user. Every process that
// has a top-level window listens on one local socket in the runtime folder
// ("windows/<pid>.sock") and answers lookups, posted messages and
// foreground requests for its windows. A window of another process has a
// handle with that process's id in its upper 32 bits. Internal to the
// platform layer.
#pragma once

#include "win/winuser.h"

namespace movanta::win {

// Posted to a window whose process was asked, from another process, to
// bring it to the foreground; DefWindowProcW does it.
inline constexpr UINT kForegroundRequest = 0x03FE;

bool IsRemoteWindow(HWND window);
DWORD RemoteProcessOf(HWND window);
// Starts answering for this process's windows (once; later calls return).
void AnnounceWindows();
// A top-level window of another live process, or null. Records of processes
// that are gone are removed on the way.
HWND FindRemoteWindow(LPCWSTR className, LPCWSTR windowName);
// Values only: WM_CLOSE, WM_NULL, WM_COMMAND and WM_USER and above; other
// messages carry pointers that mean nothing in another process.
bool PostRemote(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
bool ForegroundRemote(HWND window);
bool IsRemoteWindowAlive(HWND window);

}  // namespace movanta::win
