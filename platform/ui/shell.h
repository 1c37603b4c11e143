// The shell calls the system uses: files dropped on windows, and opening
// documents and web pages with the desktop's programs.
#pragma once

#include "win/winuser.h"

struct HDROP__;
using HDROP = HDROP__*;

// A window that accepts files gets WM_DROPFILES (wParam: HDROP) when local
// files are dropped on it.
void DragAcceptFiles(HWND window, BOOL accept);
// index 0xFFFFFFFF: the number of files; otherwise copies the file's path
// (a null buffer answers its length without the terminating zero).
UINT DragQueryFileW(HDROP drop, UINT index, LPWSTR buffer, UINT capacity);
void DragFinish(HDROP drop);

// "open" (or a null verb) of a local file, folder or web address with the
// desktop's program; answers a value above 32 on success.
HINSTANCE ShellExecuteW(HWND window, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR folder, int show);

// The help viewer: HH_DISPLAY_TOPIC opens the help page in the desktop's
// browser. A compiled help file ("NAME.chm") is looked for as the page
// "NAME.html" or "NAME.htm" beside it when it is not there itself. Answers
// a non-null value when the page was opened.
inline constexpr UINT HH_DISPLAY_TOPIC = 0x0000;
HWND HtmlHelpW(HWND owner, LPCWSTR file, UINT command, DWORD_PTR data);

struct OSVERSIONINFOW {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    WCHAR szCSDVersion[128];
};
// The version of the platform this system stands for: 5.1.2600, NT.
BOOL GetVersionExW(OSVERSIONINFOW* info);
