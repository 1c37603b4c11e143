// CDlgPreview: plays the converted file in a video area of its own, with
// play, pause and stop; the main window waits, disabled, until it closes.
#pragma once

#include "app_canvas_dlg.h"
#include "engine/convengine.h"
#include "video_static.h"

namespace movanta::app {

class CDlgPreview : public CAppCanvasDlg {
public:
    explicit CDlgPreview(CWnd* parent);
    ~CDlgPreview() override;
    // The file and how loud to play it: before Create, or again while open.
    void SetFile(const CString& path, bool soundOn, int volume);
    // Modeless over `parent`; the object deletes itself with its window.
    BOOL Create(CWnd* parent);

protected:
    BOOL OnInitDialog() override;
    // Closing: the main window is given back and the media closed.
    void OnOK() override;
    void PostNcDestroy() override;

    DECLARE_MESSAGE_MAP()
    afx_msg void OnPlay();
    afx_msg void OnPause();
    afx_msg void OnStop();
    afx_msg void OnDestroy();
    afx_msg LRESULT OnMediaStart(WPARAM, LPARAM);
    afx_msg LRESULT OnMediaPlay(WPARAM, LPARAM);
    afx_msg LRESULT OnMediaStop(WPARAM, LPARAM);
    afx_msg LRESULT OnMediaPause(WPARAM, LPARAM);
    afx_msg LRESULT OnMediaStopped(WPARAM, LPARAM);
    afx_msg LRESULT OnMediaError(WPARAM, LPARAM);

private:
    void ShowPlay(bool play);
    void OpenFile();
    void CloseMedia();
    void SetPlayButtons(bool play, bool pause, bool stop);

    CString m_path;
    bool m_soundOn = true;
    int m_volume = 40;
    CVideoStatic m_video;
    TrxMedia m_media = nullptr;
};

}  // namespace movanta::app
