#include "preview_dlg.h"

#include "app_messages.h"
#include "app_texts.h"
#include "message_dlg.h"
#include "skin/library.h"

namespace movanta::app {
namespace {

constexpr UINT kVideoArea = 1001;
constexpr UINT kPlay = 32785;
constexpr UINT kPause = 32786;
constexpr UINT kStop = 32787;
constexpr int kCannotPlay = 1011;

}  // namespace

BEGIN_MESSAGE_MAP(CDlgPreview, CAppCanvasDlg)
ON_COMMAND(kPlay, OnPlay)
ON_COMMAND(kPause, OnPause)
ON_COMMAND(kStop, OnStop)
ON_WM_DESTROY()
ON_MESSAGE(WM_TRX_MEDIA_START, OnMediaStart)
ON_MESSAGE(WM_TRX_MEDIA_PLAY, OnMediaPlay)
ON_MESSAGE(WM_TRX_MEDIA_STOP, OnMediaStop)
ON_MESSAGE(WM_TRX_MEDIA_PAUSE, OnMediaPause)
ON_MESSAGE(WM_TRX_MEDIA_STOPPED, OnMediaStopped)
ON_MESSAGE(WM_TRX_MEDIA_ERROR, OnMediaError)
END_MESSAGE_MAP()

CDlgPreview::CDlgPreview(CWnd* parent) : CAppCanvasDlg(parent) {}

CDlgPreview::~CDlgPreview() = default;

void CDlgPreview::SetFile(const CString& path, bool soundOn, int volume) {
    m_path = path;
    m_soundOn = soundOn;
    m_volume = volume;
    if (m_hWnd != nullptr) OpenFile();
}

BOOL CDlgPreview::Create(CWnd* parent) { return CzCanvasDlg::Create(parent, 0); }

BOOL CDlgPreview::OnInitDialog() {
    CAppCanvasDlg::OnInitDialog();
    if (!ParseSection(L"PreviewDlg")) return FALSE;
    fnChangeBtnText(IDOK, TextOf(2));
    fnChangeBtnText(kPlay, TextOf(7));
    fnChangeBtnText(kPause, TextOf(8));
    fnChangeBtnText(kStop, TextOf(9));
    fnEnableBtn(kStop, false);
    ShowPlay(true);
    ZDDX_Control(this, kVideoArea, m_video);
    m_video.ModifyStyle(0, WS_CLIPCHILDREN);
    OpenFile();
    return TRUE;
}

void CDlgPreview::OpenFile() {
    CloseMedia();
    if (TrxOpenMedia(m_hWnd, m_video.m_hWnd, m_path.Wide().c_str(), 0, 0, 1, m_soundOn ? 0 : 1, m_volume, &m_media) !=
        0) {
        m_media = nullptr;
        // Answered from the message loop, as the engine's own errors are:
        // the error's course ends by destroying this dialog.
        PostMessage(WM_TRX_MEDIA_ERROR, 0, 0);
    }
}

void CDlgPreview::CloseMedia() {
    if (m_media == nullptr) return;
    TrxCloseMedia(m_media);
    m_media = nullptr;
}

void CDlgPreview::ShowPlay(bool play) {
    fnShowBtn(play ? kPause : kPlay, false, true);
    fnShowBtn(play ? kPlay : kPause, true, true);
}

void CDlgPreview::SetPlayButtons(bool play, bool pause, bool stop) {
    fnEnableBtn(kPlay, play);
    fnEnableBtn(kPause, pause);
    fnEnableBtn(kStop, stop);
}

void CDlgPreview::OnPlay() {
    if (m_media == nullptr) return;
    SetPlayButtons(false, false, false);
    TrxPlay(m_media);
}

void CDlgPreview::OnPause() {
    if (m_media == nullptr) return;
    SetPlayButtons(false, false, false);
    TrxPause(m_media);
}

void CDlgPreview::OnStop() {
    if (m_media == nullptr) return;
    SetPlayButtons(false, false, false);
    TrxStop(m_media);
}

LRESULT CDlgPreview::OnMediaStart(WPARAM, LPARAM) {
    ShowPlay(true);
    fnEnableBtn(kPlay, true);
    fnEnableBtn(kStop, true);
    return 0;
}

LRESULT CDlgPreview::OnMediaPlay(WPARAM, LPARAM) {
    ShowPlay(false);
    SetPlayButtons(false, true, true);
    return 0;
}

LRESULT CDlgPreview::OnMediaStop(WPARAM, LPARAM) {
    ShowPlay(true);
    fnEnableBtn(kStop, false);
    return 0;
}

LRESULT CDlgPreview::OnMediaPause(WPARAM, LPARAM) {
    ShowPlay(true);
    SetPlayButtons(true, false, true);
    return 0;
}

LRESULT CDlgPreview::OnMediaStopped(WPARAM, LPARAM) {
    ShowPlay(true);
    SetPlayButtons(true, false, false);
    return 0;
}

LRESULT CDlgPreview::OnMediaError(WPARAM, LPARAM) {
    CMessageDlg(this, TextOf(kCannotPlay), CMessageDlg::kInformation).DoModal();
    ShowPlay(true);
    fnEnableBtn(kStop, false);
    m_path.Empty();
    OnOK();
    return 0;
}

void CDlgPreview::OnOK() {
    if (m_pParentWnd != nullptr) {
        if (auto* owner = dynamic_cast<CzCanvasWnd*>(m_pParentWnd)) owner->fnEnableWindow(TRUE);
    }
    CloseMedia();
    DestroyWindow();
}

void CDlgPreview::OnDestroy() {
    CloseMedia();
    if (m_pParentWnd != nullptr) m_pParentWnd->SendMessage(WM_CHILDDLG_CLOSED, 0, reinterpret_cast<LPARAM>(this));
    CAppCanvasDlg::OnDestroy();
}

void CDlgPreview::PostNcDestroy() { delete this; }

}  // namespace movanta::app
