// The main window's media: opening a file, the engine's notifications about
// it, playing, seeking and the marks with their range texts.
#include <algorithm>

#include "afxwin/file_dialog.h"
#include "app_texts.h"
#include "main_frame.h"
#include "media_time.h"
#include "message_dlg.h"
#include "phone_profiles.h"
#include "progress_dlg.h"

namespace movanta::app {
namespace {

constexpr UINT kMediaTimerPeriod = 1000;
constexpr size_t kLongestPath = 256;
constexpr std::int64_t kTicksPerMediaPercent = 100;  // the media bar's range
constexpr int kRangeFont = 5;
constexpr UINT kRangeFormat = 2;  // DT_RIGHT
constexpr UINT kFileNameFormat = 0;
constexpr int kPathTooLong = 1008;
constexpr int kCannotPlay = 1011;
constexpr UINT kOpenFlags = 0x81800;  // explorer style, file and path must exist

}  // namespace

void CMainFrame::KillMediaTimer() {
    if (m_mediaTimer) KillTimer(kMediaTimer);
    m_mediaTimer = false;
}

void CMainFrame::CloseMedia() {
    if (m_media == nullptr) return;
    TrxCloseMedia(m_media);
    m_media = nullptr;
    m_video.SetMedia(nullptr);
}

std::wstring CMainFrame::SourceName() const {
    const std::wstring path(m_source.Wide());
    return path.substr(path.find_last_of(L"/\\") + 1);
}

void CMainFrame::HoldPlayButtons() {
    for (UINT command : {kPlay, kPause, kStop}) fnEnableBtn(command, false);
}

bool CMainFrame::OpenMedia(bool keepMarks) {
    CloseMedia();
    if (static_cast<size_t>(m_source.GetLength()) > kLongestPath) {
        m_busy = false;
        ShowMessage(kPathTooLong);
        return false;
    }
    m_seekable = true;
    const std::int32_t result =
        TrxOpenMedia(nullptr, m_video.m_hWnd, m_source.Wide().c_str(), 0, 0, 1, m_settings.soundOn ? 0 : 1,
                     static_cast<std::int32_t>(m_settings.volume), &m_media);
    if (result != 0) {
        m_media = nullptr;
        MediaErrorCourse();
        return false;
    }
    if (!keepMarks) {
        m_start = 0;
        m_end = 0;
        RefreshRangeTexts();
    }
    m_replay = false;
    return true;
}

void CMainFrame::OpenChosen(const CString& path, bool play) {
    m_busy = true;
    m_source = path;
    m_previewAvailable = false;
    // The engine plays once the file is open: WM_TRX_MEDIA_START starts it.
    m_playWhenOpen = OpenMedia(false) && play;
}

void CMainFrame::MediaErrorCourse() {
    m_busy = false;
    ShowMessage(kCannotPlay);
    KillMediaTimer();
    m_source.Empty();
}

void CMainFrame::OnOpen() {
    if (m_busy) return;
    const CString filter = CString(L"Media Files |") + m_settings.fileFilter + L"||";
    CFileDialog dialog(TRUE, L"mpg", nullptr, kOpenFlags, filter.Wide().c_str(), this);
    if (dialog.DoModal() != IDOK) return;
    OpenChosen(dialog.GetPathName(), false);
}

void CMainFrame::OnDropFiles(HDROP drop) {
    WCHAR path[260] {};
    const bool file = DragQueryFileW(drop, 0, path, 260) > 0;
    DragFinish(drop);
    if (m_busy || !file) return;
    OpenChosen(path, true);
}

void CMainFrame::DrawFileName() {
    fnClearCanvas(&m_fileNameRect, false);
    const std::wstring name = SourceName();
    m_toolTip.UpdateTipText(name.c_str(), this, 1);
    fnDrawCanvas(name.c_str(), m_fileNameRect, kFileNameFormat, kWhite, m_fileNameFont, true, nullptr, true);
}

LRESULT CMainFrame::OnMediaStart(WPARAM media, LPARAM summary) {
    if (!IsCurrent(media)) return 0;
    m_busy = false;
    const bool hasAudio = summary != 0 && reinterpret_cast<const MediaInfo*>(summary)->bHasAudio != 0;
    m_volumeBar.SetDisabled(!hasAudio);
    if (hasAudio) m_volumeBar.SetValue(static_cast<int>(m_settings.volume));
    m_toolTip.Activate(TRUE);
    DrawFileName();
    TrxGetMediaPosition(m_media, &m_position, &m_duration);
    DrawTimeText();
    if (m_duration <= 0) {
        // A file that does not say how long it is (a bare video stream, a
        // recording cut short) plays and converts whole: no part to mark.
        m_duration = 0;
        m_seekable = false;
        fnEnableBtn(kMarkStart, false);
        fnEnableBtn(kMarkEnd, false);
    } else {
        if (m_start == 0 && m_end == 0) m_end = m_duration;
        m_mediaBar.SetMarks(static_cast<int>(m_start * kTicksPerMediaPercent / m_duration),
                            static_cast<int>(m_end * kTicksPerMediaPercent / m_duration));
    }
    m_position = 0;
    m_mediaBar.SetPosition(0);
    RefreshRangeTexts();
    m_video.SetMedia(m_media);
    if (m_playWhenOpen) {
        m_playWhenOpen = false;
        OnPlay();
    }
    return 0;
}

LRESULT CMainFrame::OnMediaPlay(WPARAM media, LPARAM) {
    if (!IsCurrent(media)) return 0;
    if (!m_mediaTimer) m_mediaTimer = SetTimer(kMediaTimer, kMediaTimerPeriod) != 0;
    SetUiState(2);
    RefreshPosition();
    return 0;
}

LRESULT CMainFrame::OnMediaPause(WPARAM media, LPARAM) {
    if (!IsCurrent(media)) return 0;
    KillMediaTimer();
    SetUiState(1);
    RefreshPosition();
    return 0;
}

LRESULT CMainFrame::OnMediaStopped(WPARAM media, LPARAM) {
    if (!IsCurrent(media)) return 0;
    m_position = 0;
    KillMediaTimer();
    DrawTimeText();
    SetUiState(3);
    if (m_replay) {
        m_replay = false;
        ShowPlay(false);
        TrxPlay(m_media);
    }
    return 0;
}

LRESULT CMainFrame::OnMediaStop(WPARAM media, LPARAM) {
    if (!IsCurrent(media)) return 0;
    m_position = 0;
    fnClearCanvas(&m_fileNameRect, true);
    m_toolTip.Activate(FALSE);
    KillMediaTimer();
    SetUiState(0);
    return 0;
}

LRESULT CMainFrame::OnMediaError(WPARAM media, LPARAM) {
    if (IsCurrent(media)) MediaErrorCourse();
    return 0;
}

LRESULT CMainFrame::OnMediaNotice(WPARAM media, LPARAM notice) {
    if (!IsCurrent(media) || notice != 5) return 0;
    m_seekable = false;
    fnEnableBtn(kMarkStart, false);
    fnEnableBtn(kMarkEnd, false);
    return 0;
}

void CMainFrame::OnPlay() {
    if (m_media == nullptr) return;
    HoldPlayButtons();
    TrxPlay(m_media);
    m_replay = m_duration > 0 && m_position >= m_duration;
}

void CMainFrame::OnPause() {
    if (m_media == nullptr) return;
    HoldPlayButtons();
    TrxPause(m_media);
}

void CMainFrame::OnStop() {
    HoldPlayButtons();
    TrxStop(m_media);
}

void CMainFrame::OnMarkStart() {
    if (m_position > m_end) {
        m_end = m_position;
        m_mediaBar.SetEndToPosition();
    } else {
        m_start = m_position;
        m_mediaBar.SetStartToPosition();
    }
    RefreshRangeTexts();
}

void CMainFrame::OnMarkEnd() {
    if (m_position < m_start) {
        m_start = m_position;
        m_mediaBar.SetStartToPosition();
    } else {
        m_end = m_position;
        m_mediaBar.SetEndToPosition();
    }
    RefreshRangeTexts();
}

void CMainFrame::OnTimer(UINT_PTR id) {
    if (id == kMediaTimer) {
        RefreshPosition();
        return;
    }
    if (id == kConvertTimer) {
        std::int64_t position = 0;
        std::int64_t size = 0;
        TrxGetConvertPosition(m_conversion, &position, &size);
        if (m_progress) m_progress->Update(position);
        return;
    }
    CzCanvasWnd::OnTimer(id);
}

LRESULT CMainFrame::OnMediaBarPos(WPARAM position, LPARAM) {
    if (m_duration <= 0) return 0;  // no length to place the bar's position in
    m_position = m_duration * static_cast<std::int64_t>(std::min<WPARAM>(position, 100)) / kTicksPerMediaPercent;
    TrxSeeking(m_media, m_position);
    RefreshPosition();
    return 0;
}

void CMainFrame::RefreshPosition() {
    TrxGetMediaPosition(m_media, &m_position, &m_duration);
    if (m_duration != 0) {
        m_mediaBar.SetPosition(static_cast<int>(m_position * kTicksPerMediaPercent / m_duration));
        UpdateMarkButtons();
    }
    DrawTimeText();
}

void CMainFrame::UpdateMarkButtons() {
    if (!m_seekable || m_state == 0 || m_state >= 4) return;
    fnEnableBtn(kMarkEnd, m_start < m_position);
    fnEnableBtn(kMarkStart, m_position < m_end);
}

void CMainFrame::RefreshRangeTexts() {
    fnClearCanvas(&m_videoLengthRect, true);
    fnClearCanvas(&m_videoSizeRect, true);
    if (m_start <= 0 && m_end <= 0) return;
    const std::int64_t length = m_end - m_start;
    CFont* font = fnGetFont(kRangeFont);
    fnDrawCanvas(MediaTimeText(length).c_str(), m_videoLengthRect, kRangeFormat, kBlack, font, true, nullptr, true);
    const SizeEstimate estimate =
        VideoLenToSize(PhoneProfile(static_cast<int>(m_settings.phone)), static_cast<int>(m_settings.videoQuality),
                       static_cast<int>(m_settings.audioQuality), m_CNTConfig.nSysFormat, length);
    fnDrawCanvas(estimate.text.c_str(), m_videoSizeRect, kRangeFormat, estimate.overLimit ? kRed : kBlack, font, true,
                 nullptr, true);
}

}  // namespace movanta::app
