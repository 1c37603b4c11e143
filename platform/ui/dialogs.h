// The platform's common dialogs: the message box and the file dialogs, on
// Qt's. While one is shown the caller's message loop keeps running (timers
// and posted messages are handled), as the platform's own modal loops do;
// the owner window is disabled meanwhile. Without the desktop back end the
// message box writes to standard error and answers IDOK, and the file
// dialogs answer FALSE.
#pragma once

#include "ui/controls.h"

inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_OKCANCEL = 0x1;
inline constexpr UINT MB_ICONERROR = 0x10;
inline constexpr UINT MB_ICONQUESTION = 0x20;
inline constexpr UINT MB_ICONWARNING = 0x30;
inline constexpr UINT MB_ICONINFORMATION = 0x40;

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

inline constexpr DWORD OFN_READONLY = 0x00000001;
inline constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
inline constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
inline constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
inline constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
inline constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
inline constexpr DWORD OFN_EXPLORER = 0x00080000;

struct OPENFILENAMEW {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    LPCWSTR
    lpstrFilter;  // pairs of zero-terminated texts: a name, its patterns (";"-separated); ends with an empty one
    LPWSTR lpstrCustomFilter;
    DWORD nMaxCustFilter;
    DWORD nFilterIndex;  // 1-based; the chosen one on return
    LPWSTR lpstrFile;    // the initial name in, the chosen path out
    DWORD nMaxFile;
    LPWSTR lpstrFileTitle;
    DWORD nMaxFileTitle;
    LPCWSTR lpstrInitialDir;
    LPCWSTR lpstrTitle;
    DWORD Flags;
    WORD nFileOffset;
    WORD nFileExtension;
    LPCWSTR lpstrDefExt;  // added to a chosen name without an extension
    LPARAM lCustData;
    void* lpfnHook;
    LPCWSTR lpTemplateName;
};

// TRUE with the chosen path in lpstrFile; FALSE when cancelled or when the
// path does not fit the buffer.
BOOL GetOpenFileNameW(OPENFILENAMEW* request);
BOOL GetSaveFileNameW(OPENFILENAMEW* request);

namespace movanta::ui {
// Test hook: called with each common dialog right after it is shown (its
// Qt widget as a QDialog*), so that a test can answer it.
void OnCommonDialogShown(void (*observer)(void* dialog));
}  // namespace movanta::ui
