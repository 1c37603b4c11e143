// CMessageDlg: every message and question of the application, in a skinned
// dialog. Type 0: information with an OK button ("MessageDlgOK"); type 1:
// OK and Cancel; type 4: the stop question's stop and go-on buttons (both
// "MessageDlg"). Modal use answers IDOK for the first button and IDCANCEL
// for the second.
#pragma once

#include <string>

#include "app_canvas_dlg.h"

namespace movanta::app {

class CMessageDlg : public CAppCanvasDlg {
public:
    static constexpr int kInformation = 0;
    static constexpr int kOkCancel = 1;
    static constexpr int kStopQuestion = 4;

    CMessageDlg(CWnd* parent, LPCWSTR text, int type);
    // For a modeless dialog shown again with another text.
    void SetMessage(LPCWSTR text, int type);

protected:
    BOOL OnInitDialog() override;
    // Tells the parent (WM_CHILDDLG_CLOSED) before closing.
    void OnOK() override;
    // A modeless question closed with its second button gives its parent
    // back to the user.
    void OnCancel() override;

private:
    std::wstring m_text;
    int m_type;
};

}  // namespace movanta::app
