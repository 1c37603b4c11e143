// The main window's conversion: the output the user chooses, the request to
// the engine, its notifications, the progress dialog and every ending.
#include <cstdio>

#include "afxwin/file_dialog.h"
#include "app_messages.h"
#include "app_texts.h"
#include "main_frame.h"
#include "message_dlg.h"
#include "phone_profiles.h"
#include "progress_dlg.h"
#include "win/files.h"
#include "win/sync.h"
#include "win/text.h"

namespace movanta::app {
namespace {

constexpr UINT kConvertTimerPeriod = 1000;
constexpr std::int64_t kOneSecond = 10'000'000;
constexpr size_t kLongestPath = 256;
constexpr UINT kSaveFlags = 0x80800;  // explorer style, path must exist
constexpr int kNoName = 1001;
constexpr int kExists = 1003;
constexpr int kIsSource = 1004;
constexpr int kFailed = 1006;
constexpr int kTooShort = 1007;
constexpr int kPathTooLong = 1008;
constexpr int kRateFailed = 1009;

}  // namespace

CString CMainFrame::ChooseOutput() {
    const MobileVideoConf& profile = PhoneProfile(static_cast<int>(m_settings.phone));
    CString filter;
    CString extension;
    if ((profile.nSysFormatMask & 2) != 0) {
        filter = L"3GP File (*.3gp)|*.3gp|";
        extension = L"3gp";
    }
    if ((profile.nSysFormatMask & 1) != 0) {
        filter = CString(L"MP4 File (*.mp4)|*.mp4|") + filter;
        extension = L"mp4";
    }
    filter += L"|";
    std::wstring name = SourceName();
    name = name.substr(0, name.rfind(L'.'));
    CFileDialog dialog(FALSE, extension.Wide().c_str(), name.c_str(), kSaveFlags, filter.Wide().c_str(), this);
    if (dialog.DoModal() != IDOK) return {};
    const CString path = dialog.GetPathName();
    if (static_cast<size_t>(path.GetLength()) > kLongestPath) {
        ShowMessage(kPathTooLong);
    } else if (path.IsEmpty()) {
        ShowMessage(kNoName);
    } else if (EqualsNoCase(std::wstring(path.Wide()), std::wstring(m_source.Wide()))) {
        ShowMessage(kIsSource);
    } else if (GetFileAttributesW(path.Wide().c_str()) != INVALID_FILE_ATTRIBUTES &&
               ShowMessage(kExists, CMessageDlg::kOkCancel) != IDOK) {
        return {};
    } else {
        return path;
    }
    return {};
}

void CMainFrame::OnSave() {
    if (m_busy) return;
    // A file of unknown length converts whole.
    const bool whole = m_duration <= 0;
    if (!whole && (m_duration < kOneSecond || m_end - m_start < kOneSecond)) {
        ShowMessage(kTooShort);
        return;
    }
    const CString output = ChooseOutput();
    if (output.IsEmpty()) return;
    m_busy = true;
    CloseMedia();
    m_CNTConfig.llStart = !whole && (m_start != 0 || m_end != m_duration) ? m_start : -1;
    m_CNTConfig.llEnd = whole ? -1 : m_end;
    m_outputPath = output;
    HANDLE file = CreateFileW(output.Wide().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    WCHAR shortPath[260] {};
    GetShortPathNameW(output.Wide().c_str(), shortPath, 260);
    m_shortOutputPath = shortPath;
    const MobileVideoConf& profile = PhoneProfile(static_cast<int>(m_settings.phone));
    m_CNTConfig.nDstWidth = profile.nWidth;
    m_CNTConfig.nDstHeight = profile.nHeight;
    const std::int32_t refused =
        TrxConvert(nullptr, m_source.Wide().c_str(), m_shortOutputPath.Wide().c_str(), &m_CNTConfig, &m_conversion);
    if (refused != 0) {
        // The engine did not start: nothing will come, so this is the
        // error's course, and the empty file made for it goes.
        m_busy = false;
        m_conversion = nullptr;
        DeleteFileW(output.Wide().c_str());
        SetUiState(0);
        ShowMessage(kFailed);
        OpenMedia(true);
        return;
    }
    if (m_progress && m_progress->GetSafeHwnd() != nullptr) m_progress->DestroyWindow();
    m_progress = std::make_unique<CProgressDlg>(this);
    m_progress->Create(this);
    m_progress->fnShowWindow(SW_SHOW);
    m_progress->Start(m_end - m_start);
    SetUiState(4);
}

LRESULT CMainFrame::OnConvertStart(WPARAM, LPARAM) {
    m_busy = false;
    m_converting = true;
    m_aborted = false;
    m_convertTimer = SetTimer(kConvertTimer, kConvertTimerPeriod) != 0;
    return 0;
}

void CMainFrame::AbortConversion() {
    if (m_convertTimer) KillTimer(kConvertTimer);
    m_convertTimer = false;
    TrxAbortConvert(m_conversion);
    m_conversion = nullptr;
    m_converting = false;
}

LRESULT CMainFrame::OnConvertError(WPARAM, LPARAM code) {
    m_busy = false;
    m_converting = false;
    m_aborted = true;
    SetUiState(0);
    AbortConversion();
    ShowMessage(code == TRX_ERR_RATE ? kRateFailed : kFailed);
    return 0;
}

LRESULT CMainFrame::OnConvertEnd(WPARAM, LPARAM) {
    AbortConversion();
    m_previewAvailable = !m_aborted;
    if (m_aborted) {
        // A failed conversion keeps nothing: its unfinished file goes.
        DeleteFileW(m_shortOutputPath.Wide().c_str());
        if (m_shortOutputPath != m_outputPath) DeleteFileW(m_outputPath.Wide().c_str());
    } else if (m_shortOutputPath != m_outputPath) {
        std::rename(NativePath(m_shortOutputPath.Wide().c_str()).c_str(),
                    NativePath(m_outputPath.Wide().c_str()).c_str());
    }
    SetUiState(6);
    if (m_progress && m_progress->GetSafeHwnd() != nullptr) m_progress->DestroyWindow();
    m_progress.reset();
    OpenMedia(true);
    return 0;
}

LRESULT CMainFrame::OnProgressStop(WPARAM, LPARAM) {
    if (!m_converting) return 0;
    SetUiState(0);
    m_converting = false;
    AbortConversion();
    return 0;
}

}  // namespace movanta::app
