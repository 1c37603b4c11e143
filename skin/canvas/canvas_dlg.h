// CzCanvasDlg: a dialog, modal or modeless, whose whole look comes from a
// skin section. Without a template of its own it uses the library's blank
// one (3000).
#pragma once

#include "afxwin/dialog.h"
#include "skin/canvas/canvas_ops.h"
#include "skin/library.h"

class CzCanvasDlg : public CzCanvasOps<CDialog> {
    DECLARE_DYNAMIC(CzCanvasDlg)
public:
    CzCanvasDlg() = default;
    // Modal use; a template that does not exist throws the resource exception.
    CzCanvasDlg(CWnd* parent, UINT templateId);
    // Modeless creation.
    BOOL Create(CWnd* parent, UINT templateId);

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    // The canvas entry of the map calls this one (it hides the shared one).
    afx_msg void OnShowWindow(BOOL show, UINT status);
    // While nothing waits, the first idle pass drops hovers the cursor left.
    BOOL ContinueModal() override;

    int m_idlePasses = 0;
};
