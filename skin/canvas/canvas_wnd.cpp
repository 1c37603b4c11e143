#include "skin/canvas/canvas_wnd.h"

#include "afxwin/app.h"

IMPLEMENT_DYNCREATE(CzCanvasWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CzCanvasWnd, CFrameWnd)
ON_WM_CREATE()
ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
CZ_CANVAS_MESSAGES()
END_MESSAGE_MAP()

namespace {

constexpr DWORD kPopupStyle = WS_POPUP | WS_CLIPCHILDREN;
constexpr DWORD kChildStyle = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

}  // namespace

BOOL CzCanvasWnd::PreCreateWindow(CREATESTRUCTW& create) {
    if ((static_cast<DWORD>(create.style) & WS_POPUP) == 0) {
        if (create.x == CW_USEDEFAULT) create.x = create.y = 0;
        if (create.cx == CW_USEDEFAULT) create.cx = create.cy = 100;
    }
    HWND parent = create.hwndParent;
    const bool parentPerPixel = parent != nullptr && (GetWindowLongW(parent, GWL_EXSTYLE) & WS_EX_LAYERED) != 0 &&
                                GetWindowLongPtrW(parent, GWLP_USERDATA) != CANVAS_MARKER;
    create.style = static_cast<LONG>(parent == nullptr || parentPerPixel ? kPopupStyle : kChildStyle);
    create.hMenu = nullptr;
    create.dwExStyle &= ~WS_EX_CLIENTEDGE;
    return CFrameWnd::PreCreateWindow(create);
}

LRESULT CzCanvasWnd::OnIdleUpdateCmdUI(WPARAM, LPARAM) {
    m_canvas.UpdateButtonsUi(*this);
    return 0;
}

int CzCanvasWnd::OnCreate(LPCREATESTRUCTW create) {
    if (CFrameWnd::OnCreate(create) == -1) return -1;
    return m_canvas.Register() ? 0 : -1;
}
