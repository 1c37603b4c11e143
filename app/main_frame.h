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
#include "skin/canvas_wnd.h"
#include "static_text_table.h"
#include "video_static.h"
#include "volume_bar.h"

namespace movanta::app {

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

private:
    struct SkinPictures;

    // The skin's parts the window draws with; false when the skin lacks one.
    bool TakeSkin();
    void SetCaptions();
    // Reads the settings, hands the phone's profile to the engine, sets
    // the sound button and the volume bar.
    void InitRegistryValue();
    void SetSoundButton();
    // The buttons and bars as each state of the window wants them (0: no
    // media).
    void SetUiState(int state);
    void ShowPlay(bool play);
    void DrawTimeText();
    CRect NamedRect(const WCHAR* name) const;

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
};

}  // namespace movanta::app
