// The window procedure of popup controls over a per-pixel canvas.
#include "afxwin/wnd.h"
#include "skin/canvas/canvas_core.h"
#include "skin/canvas/canvas_registry.h"
#include "skin/controls/control_manager.h"

namespace {

// Clicking into a popup control brings its canvas (or, for a canvas with
// STYLE bit 0x1, the canvases in front of it) to the top without moving,
// sizing or activating them.
void BringCanvasForward(HWND canvas) {
    const CzCanvasRecord* record = CzCanvasRegistry::Find(canvas);
    if (record == nullptr) return;
    constexpr UINT kRaise = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    if ((record->m_style & CANVAS_RAISE_FOLLOWING) != 0) {
        for (HWND later : CzCanvasRegistry::Following(canvas)) SetWindowPos(later, HWND_TOP, 0, 0, 0, 0, kRaise);
        return;
    }
    SetWindowPos(canvas, HWND_TOP, 0, 0, 0, 0, kRaise);
    CzCanvasRegistry::MoveToFront(canvas);
}

}  // namespace

LRESULT CzPopupControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND owner = GetWindow(window, GW_OWNER);
    WNDPROC previous = nullptr;
    if (owner != nullptr) {
        SendMessageW(owner, CZ_MSG_POPUP_PROCEDURE, reinterpret_cast<WPARAM>(window),
                     reinterpret_cast<LPARAM>(&previous));
    }
    if (previous == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0) {
        BringCanvasForward(owner);
        return 0;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == 1) {
        SendMessageW(owner, WM_COMMAND, wParam, reinterpret_cast<LPARAM>(window));
    }
    return CallWindowProcW(previous, window, message, wParam, lParam);
}
