// Cursors: the platform's standard shapes, and cursors made from icons.
#pragma once

#include "win/winuser.h"

#define MAKEINTRESOURCEW(id) (reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(id))))

inline const LPCWSTR IDC_ARROW = MAKEINTRESOURCEW(32512);
inline const LPCWSTR IDC_IBEAM = MAKEINTRESOURCEW(32513);
inline const LPCWSTR IDC_WAIT = MAKEINTRESOURCEW(32514);
inline const LPCWSTR IDC_CROSS = MAKEINTRESOURCEW(32515);
inline const LPCWSTR IDC_SIZENWSE = MAKEINTRESOURCEW(32642);
inline const LPCWSTR IDC_SIZENESW = MAKEINTRESOURCEW(32643);
inline const LPCWSTR IDC_SIZEWE = MAKEINTRESOURCEW(32644);
inline const LPCWSTR IDC_SIZENS = MAKEINTRESOURCEW(32645);
inline const LPCWSTR IDC_SIZEALL = MAKEINTRESOURCEW(32646);
inline const LPCWSTR IDC_NO = MAKEINTRESOURCEW(32648);
inline const LPCWSTR IDC_HAND = MAKEINTRESOURCEW(32649);
inline const LPCWSTR IDC_APPSTARTING = MAKEINTRESOURCEW(32650);

// A null instance with one of the IDC_* identifiers gives a standard cursor;
// a module with the identifier of a cursor it registered gives that one;
// anything else gives null.
HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name);

namespace movanta::ui {
// A module's cursor resource (an icon, shown with its hot spot at the
// centre); the module keeps it for the life of the process.
void RegisterCursorResource(HINSTANCE module, WORD id, HCURSOR cursor);
}  // namespace movanta::ui

namespace movanta::ui {
// The identifier of a standard cursor handle, or 0 for other cursors.
WORD StandardCursorId(HCURSOR cursor);
}  // namespace movanta::ui
