// CDialog: a window made from a dialog template (size, style, font and
// controls, by identifier), shown modal with its own message loop or
// modeless. Enter gives IDOK, Escape and the close box IDCANCEL.
#pragma once

#include "afxwin/wnd.h"

using INT_PTR = LONG_PTR;

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    CDialog() = default;
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Shows the dialog and handles messages (the application's timers and
    // posted messages included) until EndDialog; answers its value, or -1
    // when the dialog could not be made.
    virtual INT_PTR DoModal();
    // Makes the dialog modeless.
    virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
    void EndDialog(int result);
    virtual BOOL OnInitDialog();
    // Asked before and after every message of the modal loop.
    virtual BOOL ContinueModal();
    virtual void EndModalLoop(int result);
    BOOL PreTranslateMessage(MSG* message) override;

protected:
    DECLARE_MESSAGE_MAP()
    virtual void OnOK();
    virtual void OnCancel();
    afx_msg LRESULT HandleInitDialog(WPARAM focus, LPARAM parameter);

    UINT m_nIDTemplate = 0;
    CWnd* m_pParentWnd = nullptr;
    int m_nModalResult = -1;
    bool m_bInModal = false;

private:
    BOOL CreateFromTemplate(HWND parent);
    HFONT m_font = nullptr;
};
