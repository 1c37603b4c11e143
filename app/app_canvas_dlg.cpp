#include "app_canvas_dlg.h"

#include "afxwin/app.h"
#include "app_texts.h"
#include "skin/package/parser_exception.h"

namespace movanta::app {

CAppCanvasDlg::CAppCanvasDlg(CWnd* parent) : CzCanvasDlg(parent, 0) {}

BOOL CAppCanvasDlg::OnInitDialog() {
    CzCanvasDlg::OnInitDialog();
    m_texts.Bind(this);
    return TRUE;
}

LPCWSTR CAppCanvasDlg::fnAcquireString(int id) {
    if (LPCWSTR text = m_texts.Lookup(static_cast<UINT>(id))) return text;
    return TextOf(id);
}

bool CAppCanvasDlg::ParseSection(LPCWSTR section) {
    try {
        fnParseScript(L"Movanta.zsp", section);
        CentreOverOwner();
        return true;
    } catch (CzSkinParserException*) {
        // The library's one exception object; it is not deleted.
    }
    Abandon();
    return false;
}

void CAppCanvasDlg::CentreOverOwner() {
    const CWnd* owner = m_pParentWnd != nullptr ? m_pParentWnd : AfxGetMainWnd();
    if (owner == nullptr || owner->GetSafeHwnd() == nullptr || owner == this) return;
    CRect over;
    owner->GetWindowRect(&over);
    CRect own;
    GetWindowRect(&own);
    const CPoint centre = over.CenterPoint();
    SetWindowPos(nullptr, centre.x - own.Width() / 2, centre.y - own.Height() / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CAppCanvasDlg::Abandon() {
    if (m_bInModal) {
        EndDialog(-1);
    } else {
        DestroyWindow();
    }
}

}  // namespace movanta::app
