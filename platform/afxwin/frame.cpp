#include "afxwin/frame.h"

#include <string>

#include "afxwin/app.h"
#include "afxwin/resources.h"

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
END_MESSAGE_MAP()

namespace {

constexpr LPCWSTR kFrameClass = L"AfxFrameOrView";

}  // namespace

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTW& create) {
    // The frames' shared class, or a class a frame names for itself (so
    // that other programs can find it by class): registered on first use.
    if (create.lpszClass == nullptr) create.lpszClass = kFrameClass;
    WNDCLASSW windowClass {};
    if (!::GetClassInfoW(nullptr, create.lpszClass, &windowClass)) {
        windowClass.style = CS_DBLCLKS;
        windowClass.lpfnWndProc = ::DefWindowProcW;
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<ULONG_PTR>(6));  // the window colour
        windowClass.lpszClassName = create.lpszClass;
        if (::RegisterClassW(&windowClass) == 0) return FALSE;
    }
    return TRUE;
}

BOOL CFrameWnd::LoadFrame(UINT resourceId, DWORD style, CWnd* parent, void*) {
    m_nIDHelp = resourceId;
    WCHAR buffer[512] {};
    LoadStringW(AfxGetResourceHandle(), resourceId, buffer, 512);
    std::wstring title = buffer;
    title = title.substr(0, title.find(L'\n'));
    return CreateEx(0, nullptr, title.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                    parent != nullptr ? parent->m_hWnd : nullptr, nullptr);
}

void CFrameWnd::PostNcDestroy() {
    delete this;
}

// Controls without an update handler keep their state: a label has no
// command to be disabled for.
LRESULT CFrameWnd::OnIdleUpdateCmdUI(WPARAM, LPARAM) {
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const int id = ::GetDlgCtrlID(child);
        if (id == 0) continue;
        CCmdUI state;
        state.m_nID = static_cast<UINT>(id);
        state.m_pOther = CWnd::FromHandle(child);
        state.DoUpdate(this, FALSE);
    }
    return 0;
}
