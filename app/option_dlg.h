// COptionDlg: the phone, the video and audio qualities and the file
// associations. The quality buttons and their labels are greyed while the
// chosen phone has fixed qualities.
#pragma once

#include <cstdint>

#include "afxwin/controls.h"
#include "app_canvas_dlg.h"

namespace movanta::app {

class COptionDlg : public CAppCanvasDlg {
public:
    explicit COptionDlg(CWnd* parent);

    // In and out: set before DoModal, read after IDOK.
    std::uint32_t m_videoQuality = 1;
    std::uint32_t m_audioQuality = 1;
    std::uint32_t m_phone = 0;
    bool m_associate = false;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

    DECLARE_MESSAGE_MAP()
    afx_msg void OnPhoneChanged();

private:
    // The quality buttons enabled and their labels black for a phone whose
    // qualities can be chosen, otherwise disabled and grey.
    void ShowQualityChoice(std::uint32_t phone, bool redraw);

    CComboBox m_phones;
};

}  // namespace movanta::app
