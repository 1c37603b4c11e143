// Resources of modules: dialog templates, strings and version numbers. A
// module registers its own at load (the platform has no resource sections);
// a lookup tries the given module first, then every module, as the
// framework's resource chain does.
#pragma once

#include <string>
#include <vector>

#include "win/winuser.h"

struct DialogItemTemplate {
    std::wstring className;  // "BUTTON", "EDIT", "ComboBox", ...
    std::wstring text;
    UINT id = 0;
    DWORD style = 0;  // WS_CHILD | WS_VISIBLE are added
    DWORD exStyle = 0;
    RECT rect {};  // dialog units
};

struct DialogTemplate {
    std::wstring title;
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect {};  // dialog units
    std::wstring fontFace = L"MS Sans Serif";
    int fontPoints = 8;
    std::vector<DialogItemTemplate> items;
};

// Dialog units of the dialog font in pixels: a horizontal unit is a quarter
// of the average character width, a vertical one an eighth of its height.
inline constexpr int kDialogBaseX = 6;
inline constexpr int kDialogBaseY = 13;
RECT DialogUnitsToPixels(const RECT& units);

void RegisterDialogTemplate(HINSTANCE module, UINT id, DialogTemplate dialog);
// Null when no module has it.
const DialogTemplate* FindDialogTemplate(HINSTANCE module, UINT id);
void RegisterStringResource(HINSTANCE module, UINT id, std::wstring text);
// Copies the string (truncated, zero-terminated); answers its length, 0 when
// there is none.
int LoadStringW(HINSTANCE module, UINT id, LPWSTR buffer, int capacity);

// A module's version resource: its product version as four numbers
// (major, minor, build, revision).
struct VersionResource {
    WORD product[4] {};
};
void RegisterVersionResource(HINSTANCE module, VersionResource version);
// The module's own version resource (no other module's); null without one.
const VersionResource* FindVersionResource(HINSTANCE module);
