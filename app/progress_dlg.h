// CProgressDlg: the conversion's progress while it runs, with the remaining
// time and a stop button that asks first (a modeless question; stopping
// posts WM_PROGRESS_STOP to the main window).
#pragma once

#include <cstdint>
#include <memory>

#include "app_canvas_dlg.h"
#include "message_dlg.h"
#include "progress_bar.h"

namespace movanta::app {

class CProgressDlg : public CAppCanvasDlg {
public:
    explicit CProgressDlg(CWnd* parent);
    ~CProgressDlg() override;
    // Modeless, over `parent`.
    BOOL Create(CWnd* parent);
    // The length of the range being converted (100 ns); the clock starts.
    void Start(std::int64_t length);
    // The position reached (100 ns).
    void Update(std::int64_t position);

protected:
    BOOL OnInitDialog() override;

    DECLARE_MESSAGE_MAP()
    afx_msg void OnStopButton();
    afx_msg LRESULT OnQuestionAnswered(WPARAM, LPARAM);
    afx_msg void OnDestroy();

private:
    CProgressBar m_bar;
    HBITMAP m_picture = nullptr;
    CRect m_timeRect;
    CFont* m_timeFont = nullptr;
    std::int64_t m_length = 0;
    std::uint32_t m_startTick = 0;
    std::unique_ptr<CMessageDlg> m_question;
};

}  // namespace movanta::app
