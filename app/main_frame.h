// CMainFrame: the application's only top-level window, skinned from the
// section "MainFrm" of "Movanta.zsp": its buttons, the video area, the
// position and volume bars, the settings it reads at creation and saves
// when it goes, and the engine it starts and ends.
#pragma once

#include <memory>

#include "app_settings.h"
#include "engine/convengine.h"
#include "engine/records.h"
#include "media_bar.h"
#include "message_dlg.h"
#include "skin/canvas/canvas_wnd.h"
#include "static_text_table.h"
#include "video_static.h"
#include "volume_bar.h"

namespace movanta::app {

// The window's timers: the playing position, the conversion's progress.
inline constexpr UINT_PTR kMediaTimer = 1002;
inline constexpr UINT_PTR kConvertTimer = 1003;

// The buttons of the main window, by command id.
enum MainCommand : UINT {
    kMinimise = 32771,
    kClose = 32772,
    kPlay = 32773,
    kPause = 32774,
    kStop = 32775,
    kMarkStart = 32776,
    kMarkEnd = 32777,
    kPreview = 32778,
    kSave = 32779,
    kSound = 32780,
    kOpen = 32781,
    kOptions = 32782,
    kHelp = 32783,
};

class CMainFrame : public CzCanvasWnd {
public:
    // The title the window shows for static id 1.
    static constexpr const WCHAR* kTitle = L"Nexaro Movanta";
    // The window class of the main window, which a second start looks for.
    static constexpr const WCHAR* kWindowClass = L"NexaroMovantaMainFrame";

    CMainFrame();
    ~CMainFrame() override;

    // Static id 1 is the title; then the window's own texts; then langtext.
    LPCWSTR fnAcquireString(int id) override;
    BOOL PreCreateWindow(CREATESTRUCTW& create) override;
    BOOL PreTranslateMessage(MSG* message) override;

    // What the program was started with; opened once the window is up.
    void SetStartFile(const CString& path) { m_startFile = path; }
    const AppSettings& Settings() const { return m_settings; }

protected:
    // After the canvas composed its picture afresh on being shown, the texts
    // the window draws itself go on it again.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    DECLARE_MESSAGE_MAP()
    afx_msg int OnCreate(LPCREATESTRUCTW create);
    afx_msg void OnDestroy();
    afx_msg void OnMinimise();
    afx_msg void OnCloseButton();
    afx_msg void OnSound();
    afx_msg LRESULT OnVolumeBarPos(WPARAM volume, LPARAM);
    // The media: opening, the engine's notifications, playing and marking.
    afx_msg void OnOpen();
    afx_msg void OnOptions();
    afx_msg void OnPreview();
    afx_msg LRESULT OnChildClosed(WPARAM, LPARAM dialog);
    // The conversion: asking for the output, the engine's notifications,
    // the progress and the endings.
    afx_msg void OnSave();
    afx_msg LRESULT OnConvertStart(WPARAM, LPARAM);
    afx_msg LRESULT OnConvertError(WPARAM, LPARAM code);
    afx_msg LRESULT OnConvertEnd(WPARAM, LPARAM);
    afx_msg LRESULT OnProgressStop(WPARAM, LPARAM);
    afx_msg void OnHelp();
    afx_msg void OnDropFiles(HDROP drop);
    afx_msg void OnPlay();
    afx_msg void OnPause();
    afx_msg void OnStop();
    afx_msg void OnMarkStart();
    afx_msg void OnMarkEnd();
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg LRESULT OnMediaBarPos(WPARAM position, LPARAM);
    afx_msg LRESULT OnMediaStart(WPARAM media, LPARAM summary);
    afx_msg LRESULT OnMediaPlay(WPARAM media, LPARAM);
    afx_msg LRESULT OnMediaPause(WPARAM media, LPARAM);
    afx_msg LRESULT OnMediaStopped(WPARAM media, LPARAM);
    afx_msg LRESULT OnMediaStop(WPARAM media, LPARAM);
    afx_msg LRESULT OnMediaError(WPARAM media, LPARAM);
    afx_msg LRESULT OnMediaNotice(WPARAM media, LPARAM notice);

private:
    struct SkinPictures;

    // The skin's parts the window draws with; false when the skin lacks one.
    bool TakeSkin();
    void SetCaptions();
    // Reads the settings, hands the phone's profile to the engine, sets
    // the sound button and the volume bar.
    void InitRegistryValue();
    void SetSoundButton();
    // The engine's profile and the request follow the phone and qualities.
    void ApplyPhoneAndQualities();
    // The engine plays at the volume and sound setting.
    void ApplyVolume();
    // Closes the open media, if any.
    void CloseMedia();
    // Play, pause and stop wait for the engine's answer.
    void HoldPlayButtons();
    // The source file's name without its folder.
    std::wstring SourceName() const;
    // The buttons and bars as each state of the window wants them (0: no
    // media).
    void SetUiState(int state);
    void ShowPlay(bool play);
    void DrawTimeText();
    // Opens the source path (closing what was open); the marks are kept
    // when asked. False (with the message shown) when it cannot be opened.
    bool OpenMedia(bool keepMarks);
    void MediaErrorCourse();
    bool IsCurrent(WPARAM media) const { return media != 0 && reinterpret_cast<TrxMedia>(media) == m_media; }
    void RefreshPosition();
    void UpdateMarkButtons();
    void RefreshRangeTexts();
    void DrawFileName();
    void KillMediaTimer();
    // Starts opening a file the user chose: busy until the engine answers.
    void OpenChosen(const CString& path, bool play);
    // The output file the user chose, checked (with the message shown when
    // it cannot be used); empty when there is none.
    CString ChooseOutput();
    // Ends the engine's conversion job, on every ending.
    void AbortConversion();
    // The message dialog with langtext `text`: its answer (IDOK for the first
    // button).
    INT_PTR ShowMessage(int text, int type = CMessageDlg::kInformation);

    AppSettings m_settings;
    CNTConfig m_CNTConfig {};
    CString m_startFile;
    std::unique_ptr<CStaticTextTable> m_texts;
    std::unique_ptr<SkinPictures> m_pictures;
    CToolTipCtrl m_toolTip;
    CMediaBar m_mediaBar;
    CVolumeBar m_volumeBar;
    CVideoStatic m_video;
    CRect m_fileNameRect;
    CRect m_mediaTimeRect;
    CRect m_videoLengthRect;
    CRect m_videoSizeRect;
    CFont* m_fileNameFont = nullptr;
    CFont* m_timeFont = nullptr;
    TrxMedia m_media = nullptr;
    std::int64_t m_duration = 0;
    std::int64_t m_position = 0;
    std::int64_t m_start = 0;  // the marks, 100 ns
    std::int64_t m_end = 0;
    CString m_source;
    bool m_busy = false;
    bool m_mediaTimer = false;
    bool m_seekable = true;
    bool m_replay = false;
    bool m_previewAvailable = false;
    bool m_playWhenOpen = false;  // a dropped file or the command line's plays when open
    int m_state = 0;
    TrxJob m_conversion = nullptr;
    bool m_converting = false;
    bool m_aborted = false;
    bool m_convertTimer = false;
    CString m_outputPath;       // as the user chose it
    CString m_shortOutputPath;  // as the engine was given it
    std::unique_ptr<class CProgressDlg> m_progress;
    class CDlgPreview* m_preview = nullptr;  // deletes itself with its window
};

}  // namespace movanta::app
