// The demonstration's modal dialog: a name in an edit box and a phone from
// a combo box.
#pragma once

#include "afxwin/controls.h"
#include "afxwin/dialog.h"

class CDemoDialog : public CDialog {
public:
    explicit CDemoDialog(CWnd* parent);
    // Registers the dialog's template; once per process.
    static void RegisterTemplate();

    CString m_name;
    CString m_phone;

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void OnOK() override;
    afx_msg void OnPhoneChanged();

private:
    CComboBox m_phones;
};
