#include "skin/library.h"

#include <dlfcn.h>

#include <cstdint>

#include "afx/exception.h"
#include "afxwin/resources.h"
#include "gdi/image_list.h"
#include "skin/canvas/canvas_dlg.h"
#include "skin/canvas/canvas_wnd.h"
#include "skin/canvas/picture_format.h"
#include "ui/cursors.h"

namespace {

constexpr int kCursorSize = 32;
constexpr COLORREF kClear = RGB(255, 0, 255);

// A double arrow across a bar, pointing left and right: the bar in the
// middle columns, the shaft in the middle rows, the heads 7 pixels long.
bool OnLeftRightShape(int x, int y) {
    const bool bar = x >= 14 && x <= 17 && y >= 6 && y <= 25;
    const bool shaft = y >= 15 && y <= 16 && x >= 3 && x <= 28;
    const int fromEnd = x < 16 ? x - 2 : 29 - x;
    const bool head = fromEnd >= 0 && fromEnd <= 6 && y >= 15 - fromEnd && y <= 16 + fromEnd;
    return bar || shaft || head;
}

// A black arrow with a white rim, as the picture of a monochrome cursor;
// `vertical` turns it to point up and down.
HCURSOR MakeSplitterCursor(bool vertical) {
    std::uint32_t* pixels = nullptr;
    HBITMAP picture = skinkit::NewPicture32(CSize(kCursorSize, kCursorSize), pixels);
    if (picture == nullptr) return nullptr;
    const auto inside = [vertical](int x, int y) {
        if (x < 0 || y < 0 || x >= kCursorSize || y >= kCursorSize) return false;
        return vertical ? OnLeftRightShape(y, x) : OnLeftRightShape(x, y);
    };
    for (int y = 0; y < kCursorSize; ++y) {
        for (int x = 0; x < kCursorSize; ++x) {
            const bool rim = inside(x - 1, y) || inside(x + 1, y) || inside(x, y - 1) || inside(x, y + 1);
            std::uint32_t colour = 0xFF00FF;
            if (inside(x, y)) {
                colour = 0x000000;
            } else if (rim) {
                colour = 0xFFFFFF;
            }
            pixels[y * kCursorSize + x] = colour;
        }
    }
    HIMAGELIST list = ImageList_Create(kCursorSize, kCursorSize, ILC_MASK | ILC_COLOR24, 1, 0);
    ImageList_AddMasked(list, picture, kClear);
    HCURSOR cursor = ImageList_GetIcon(list, 0, ILD_NORMAL);
    ImageList_Destroy(list);
    DeleteObject(picture);
    return cursor;
}

// The library's resources, registered as it loads.
const bool kResourcesRegistered = [] {
    HINSTANCE module = CzLibraryInstance();
    DialogTemplate blank;
    blank.style = WS_POPUP | WS_VISIBLE;
    blank.rect = {0, 0, 187, 94};
    RegisterDialogTemplate(module, CANVAS_BLANK_TEMPLATE, blank);
    movanta::ui::RegisterCursorResource(module, CZ_CURSOR_LEFT_RIGHT, MakeSplitterCursor(false));
    movanta::ui::RegisterCursorResource(module, CZ_CURSOR_UP_DOWN, MakeSplitterCursor(true));
    RegisterVersionResource(module, VersionResource {{1, 2, 1, 2}});
    return true;
}();

}  // namespace

HINSTANCE CzLibraryInstance() {
    static const HINSTANCE instance = [] {
        Dl_info info {};
        if (dladdr(reinterpret_cast<void*>(&CzLibraryInstance), &info) == 0) return HINSTANCE {};
        return static_cast<HINSTANCE>(info.dli_fbase);
    }();
    return instance;
}

void ZDDX_Control(CWnd* canvas, UINT id, CWnd& control) {
    if (control.GetSafeHwnd() != nullptr) return;
    CWnd* item = nullptr;
    if (canvas != nullptr && canvas->IsKindOf(RUNTIME_CLASS(CzCanvasWnd))) {
        item = static_cast<CzCanvasWnd*>(canvas)->fnGetDlgItem(id);
    } else if (canvas != nullptr && canvas->IsKindOf(RUNTIME_CLASS(CzCanvasDlg))) {
        item = static_cast<CzCanvasDlg*>(canvas)->fnGetDlgItem(id);
    } else if (canvas != nullptr) {
        item = canvas->GetDlgItem(static_cast<int>(id));
    }
    if (item == nullptr || !control.SubclassWindow(item->GetSafeHwnd())) AfxThrowNotSupportedException();
}

HRESULT DllGetVersion(DLLVERSIONINFO* info) {
    const VersionResource* version = FindVersionResource(CzLibraryInstance());
    if (info == nullptr || version == nullptr) return E_FAIL;
    info->dwMajorVersion = version->product[0];
    info->dwMinorVersion = version->product[1];
    info->dwBuildNumber = version->product[2];
    info->dwPlatformID = DLLVER_PLATFORM_WINDOWS;
    return S_OK;
}
