#include "skin/canvas/canvas_dlg.h"

#include "afx/exception.h"
#include "afxwin/resources.h"
#include "skin/library.h"

IMPLEMENT_DYNAMIC(CzCanvasDlg, CDialog)

BEGIN_MESSAGE_MAP(CzCanvasDlg, CDialog)
CZ_CANVAS_MESSAGES()
END_MESSAGE_MAP()

namespace {

UINT TemplateOf(UINT templateId) {
    return templateId == 0 ? CANVAS_BLANK_TEMPLATE : templateId;
}

}  // namespace

CzCanvasDlg::CzCanvasDlg(CWnd* parent, UINT templateId) {
    m_nIDTemplate = TemplateOf(templateId);
    m_pParentWnd = parent;
    if (FindDialogTemplate(nullptr, m_nIDTemplate) == nullptr) AfxThrowResourceException();
}

BOOL CzCanvasDlg::Create(CWnd* parent, UINT templateId) {
    return CDialog::Create(TemplateOf(templateId), parent);
}

// A dialog without popup controls asks its owner to repaint the controls
// its picture may have covered.
void CzCanvasDlg::OnShowWindow(BOOL show, UINT status) {
    CzCanvasOps<CDialog>::OnShowWindow(show, status);
    if (show && status == 0) m_canvas.TellOwnerShown();
}

BOOL CzCanvasDlg::ContinueModal() {
    MSG waiting {};
    if (PeekMessageW(&waiting, nullptr, 0, 0, PM_NOREMOVE)) {
        m_idlePasses = 0;
    } else if (m_idlePasses++ == 0) {
        CzButtonManager::CleanUpEveryHover();
    }
    return CzCanvasOps<CDialog>::ContinueModal();
}

BOOL CzCanvasDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    ModifyStyle(0, WS_CLIPCHILDREN);
    if (!m_canvas.Register()) {
        if (m_bInModal) {
            EndDialog(-1);
        } else {
            DestroyWindow();
        }
        return FALSE;
    }
    return TRUE;
}
