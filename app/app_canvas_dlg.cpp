#include "app_canvas_dlg.h"

#include "app_texts.h"
#include "skin/parser_exception.h"

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
        return true;
    } catch (CzSkinParserException*) {
        // The library's one exception object; it is not deleted.
    }
    Abandon();
    return false;
}

void CAppCanvasDlg::Abandon() {
    if (m_bInModal) {
        EndDialog(-1);
    } else {
        DestroyWindow();
    }
}

}  // namespace movanta::app
