#include "main_frame.h"

#include "afxwin/app.h"
#include "app_messages.h"
#include "app_texts.h"
#include "installation/installation.h"
#include "media_time.h"
#include "message_dlg.h"
#include "movanta_app.h"
#include "option_dlg.h"
#include "preview_dlg.h"
#include "progress_dlg.h"
#include "phone_profiles.h"
#include "skin_places.h"
#include "skin/library.h"
#include "skin/package/parser_exception.h"

namespace movanta::app {
namespace {

constexpr UINT kVideoArea = 1001;
constexpr int kTimeFont = 7;
constexpr int kFaceFont = 2;
constexpr UINT kFileNameTool = 1;
constexpr unsigned kDirectXNeeded = 90;
constexpr UINT kTimeFormat = 2;  // DT_RIGHT

// The buttons whose captions are tool tips (their pictures say what they
// do) and those whose captions are drawn on them.
struct Caption {
    UINT command;
    int text;
};
constexpr Caption kTipCaptions[] = {{kMinimise, 3}, {kClose, 2},     {kPlay, 7},    {kPause, 8}, {kStop, 9},
                                    {kMarkStart, 10}, {kMarkEnd, 11}, {kPreview, 12}, {kSave, 13}};
constexpr Caption kDrawnCaptions[] = {{kOpen, 4}, {kOptions, 5}, {kHelp, 6}};
constexpr int kSoundOnText = 19;
constexpr int kSoundOffText = 18;

}  // namespace

// The skin's pictures the window loaded; the bars keep copies of their own.
struct CMainFrame::SkinPictures {
    MediaBarPictures media;
    HBITMAP volume = nullptr;
    HBITMAP volumeIndicator = nullptr;
    ~SkinPictures() {
        for (HBITMAP picture : {media.background, media.track, media.handle, media.start, media.end, volume,
                                volumeIndicator}) {
            if (picture != nullptr) DeleteObject(picture);
        }
    }
};

BEGIN_MESSAGE_MAP(CMainFrame, CzCanvasWnd)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_COMMAND(kMinimise, OnMinimise)
ON_COMMAND(kClose, OnCloseButton)
ON_COMMAND(kSound, OnSound)
ON_MESSAGE(WM_VOLUMEBAR_POS, OnVolumeBarPos)
ON_COMMAND(kOpen, OnOpen)
ON_COMMAND(kOptions, OnOptions)
ON_COMMAND(kSave, OnSave)
ON_COMMAND(kPreview, OnPreview)
ON_MESSAGE(WM_CHILDDLG_CLOSED, OnChildClosed)
ON_MESSAGE(WM_TRX_CONVERT_START, OnConvertStart)
ON_MESSAGE(WM_TRX_CONVERT_ERROR, OnConvertError)
ON_MESSAGE(WM_TRX_CONVERT_END, OnConvertEnd)
ON_MESSAGE(WM_PROGRESS_STOP, OnProgressStop)
ON_COMMAND(kHelp, OnHelp)
ON_WM_DROPFILES()
ON_COMMAND(kPlay, OnPlay)
ON_COMMAND(kPause, OnPause)
ON_COMMAND(kStop, OnStop)
ON_COMMAND(kMarkStart, OnMarkStart)
ON_COMMAND(kMarkEnd, OnMarkEnd)
ON_WM_TIMER()
ON_MESSAGE(WM_MEDIABAR_POS, OnMediaBarPos)
ON_MESSAGE(WM_TRX_MEDIA_START, OnMediaStart)
ON_MESSAGE(WM_TRX_MEDIA_PLAY, OnMediaPlay)
ON_MESSAGE(WM_TRX_MEDIA_PAUSE, OnMediaPause)
ON_MESSAGE(WM_TRX_MEDIA_STOPPED, OnMediaStopped)
ON_MESSAGE(WM_TRX_MEDIA_STOP, OnMediaStop)
ON_MESSAGE(WM_TRX_MEDIA_ERROR, OnMediaError)
ON_MESSAGE(WM_TRX_MEDIA_NOTICE, OnMediaNotice)
END_MESSAGE_MAP()

CMainFrame::CMainFrame() {
    m_CNTConfig.nResampleMode = 1;
    m_CNTConfig.nAudioQuality = 1;
    m_CNTConfig.nVideoQuality = 1;
    m_CNTConfig.nSysFormat = TRX_SYS_MP4;
}

CMainFrame::~CMainFrame() = default;

LPCWSTR CMainFrame::fnAcquireString(int id) {
    if (id == 1) return kTitle;
    if (m_texts) {
        if (LPCWSTR text = m_texts->Lookup(static_cast<UINT>(id))) return text;
    }
    return TextOf(id);
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTW& create) {
    // A class of its own, so that a second start finds this window and no
    // other program's.
    create.lpszClass = kWindowClass;
    create.style |= WS_MINIMIZEBOX | WS_SYSMENU;
    return CzCanvasWnd::PreCreateWindow(create);
}

BOOL CMainFrame::PreTranslateMessage(MSG* message) {
    if (m_toolTip.GetSafeHwnd() != nullptr) m_toolTip.RelayEvent(message);
    return CzCanvasWnd::PreTranslateMessage(message);
}

bool CMainFrame::TakeSkin() {
    fnParseScript(L"Movanta.zsp", L"MainFrm");
    const CzSkinParser& parser = fnGetParser();
    m_pictures = std::make_unique<SkinPictures>();
    m_pictures->media = {NamedPicture(parser, L"MediaBkg"), NamedPicture(parser, L"MediaBar"),
                         NamedPicture(parser, L"MediaCur"), NamedPicture(parser, L"MediaStart"),
                         NamedPicture(parser, L"MediaEnd")};
    m_pictures->volume = NamedPicture(parser, L"VolBar");
    m_pictures->volumeIndicator = NamedPicture(parser, L"VolInd");
    m_fileNameRect = NamedRect(parser, L"PosFileName");
    m_mediaTimeRect = NamedRect(parser, L"PosMediaTime");
    m_videoLengthRect = NamedRect(parser, L"PosVideoLen");
    m_videoSizeRect = NamedRect(parser, L"PosVideoSize");
    m_fileNameFont = fnGetFont(kTimeFont);
    m_timeFont = fnGetFont(kTimeFont);
    return !m_fileNameRect.IsRectEmpty() && !m_mediaTimeRect.IsRectEmpty();
}

void CMainFrame::SetCaptions() {
    for (const Caption& caption : kTipCaptions) fnChangeBtnText(caption.command, TextOf(caption.text));
    CFont* face = fnGetFont(kFaceFont);
    for (const Caption& caption : kDrawnCaptions) {
        fnChangeBtnText(caption.command, TextOf(caption.text));
        fnDrawBtnFace(caption.command, CaptionOf(caption.text).c_str(), kWhite, face);
    }
}

int CMainFrame::OnCreate(LPCREATESTRUCTW create) {
    if (CzCanvasWnd::OnCreate(create) == -1) return -1;
    try {
        if (!TakeSkin()) return -1;
    } catch (CzSkinParserException*) {
        return -1;  // the library's one exception object, not deleted
    }
    SetCaptions();
    ShowPlay(true);
    m_texts = std::make_unique<CStaticTextTable>();
    m_texts->Bind(this);
    DragAcceptFiles(TRUE);

    m_toolTip.Create(this);
    m_toolTip.Activate(FALSE);
    m_toolTip.AddTool(this, L"C:\\", &m_fileNameRect, kFileNameTool);

    const CRect mediaBarPlace = NamedRect(fnGetParser(), L"MediaBarPos");
    m_mediaBar.SetUp(this, m_pictures->media);
    m_mediaBar.Create(nullptr, L"Media Bar", WS_CHILD | WS_VISIBLE, mediaBarPlace, this, 0);
    m_mediaBar.SetMarks(0, CMediaBar::kRange);
    m_mediaBar.ShowWindow(SW_SHOW);

    const CRect volumeBarPlace = NamedRect(fnGetParser(), L"VolBarPos");
    m_volumeBar.SetUp(this, m_pictures->volume, m_pictures->volumeIndicator);
    m_volumeBar.Create(nullptr, L"Volume Bar", WS_CHILD | WS_VISIBLE, volumeBarPlace, this, 0);
    m_volumeBar.SetValue(40);

    ZDDX_Control(this, kVideoArea, m_video);
    m_video.ModifyStyle(0, WS_CLIPCHILDREN);

    TrxInit(AfxGetInstanceHandle(), m_hWnd);
    SetUiState(0);
    InitRegistryValue();
    if (ZINTChkDirectX() < kDirectXNeeded) {
        ShowMessage(1010);
        PostQuitMessage(0);
        return 0;
    }
    if (!m_startFile.IsEmpty()) OpenChosen(m_startFile, true);
    return 0;
}

void CMainFrame::InitRegistryValue() {
    m_settings = LoadSettings();
    ApplyPhoneAndQualities();
    SetSoundButton();
    m_volumeBar.SetValue(static_cast<int>(m_settings.volume));
}

INT_PTR CMainFrame::ShowMessage(int text, int type) { return CMessageDlg(this, TextOf(text), type).DoModal(); }

void CMainFrame::ApplyPhoneAndQualities() {
    m_CNTConfig.nTargetPhone = static_cast<std::int32_t>(m_settings.phone);
    m_CNTConfig.nVideoQuality = static_cast<std::int32_t>(m_settings.videoQuality);
    m_CNTConfig.nAudioQuality = static_cast<std::int32_t>(m_settings.audioQuality);
    TrxSetMobileConfig(&PhoneProfile(static_cast<int>(m_settings.phone)));
}

void CMainFrame::SetSoundButton() {
    fnChangeBtnText(kSound, TextOf(m_settings.soundOn ? kSoundOnText : kSoundOffText));
    fnCheckBtn(kSound, !m_settings.soundOn);
}

void CMainFrame::ShowPlay(bool play) {
    fnShowBtn(play ? kPause : kPlay, false, true);
    fnShowBtn(play ? kPlay : kPause, true, true);
}

void CMainFrame::DrawTimeText() {
    fnClearCanvas(&m_mediaTimeRect, false);
    const std::wstring length = m_duration > 0 ? MediaTimeText(m_duration) : std::wstring(L"--:--");
    const std::wstring text = m_state == 0 ? std::wstring(L"00:00/00:00") : MediaTimeText(m_position) + L"/" + length;
    fnDrawCanvas(text.c_str(), m_mediaTimeRect, kTimeFormat, kWhite, m_timeFont, true, nullptr, true);
}

void CMainFrame::SetUiState(int state) {
    m_state = state;
    if (state == 4) {
        // Converting: nothing but minimising.
        for (UINT command = kPlay; command <= kSave; ++command) fnEnableBtn(command, false);
        for (UINT command : {kOpen, kOptions, kHelp, kSound, kClose}) fnEnableBtn(command, false);
        m_mediaBar.SetDisabled(true);
        m_volumeBar.SetDisabled(true);
        return;
    }
    if (state == 6) {
        for (UINT command : {kOpen, kOptions, kHelp, kSound, kClose, kMinimise}) fnEnableBtn(command, true);
        state = 0;
        m_state = 0;
    }
    if (state == 0) {
        ShowPlay(true);
        for (UINT command = kPlay; command <= kSave; ++command) fnEnableBtn(command, false);
        m_mediaBar.SetDisabled(true);
        m_position = 0;
        m_mediaBar.SetPosition(0);
        m_mediaBar.SetDraggable(false);
        m_volumeBar.SetDisabled(true);
        DrawTimeText();
        return;
    }
    // 1 paused, 2 playing, 3 stopped.
    ShowPlay(state != 2);
    fnEnableBtn(kPlay, state != 2);
    fnEnableBtn(kPause, state == 2);
    fnEnableBtn(kStop, state != 3);
    fnEnableBtn(kMarkStart, m_seekable);
    fnEnableBtn(kMarkEnd, m_seekable);
    m_mediaBar.SetDraggable(m_seekable);
    fnEnableBtn(kPreview, m_previewAvailable);
    fnEnableBtn(kSave, true);
    m_mediaBar.SetDisabled(false);
    if (state == 3) {
        m_position = 0;
        m_mediaBar.SetPosition(0);
        UpdateMarkButtons();
    }
}

LRESULT CMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CzCanvasWnd::WindowProc(message, wParam, lParam);
    if (message == WM_SHOWWINDOW && wParam != 0) {
        DrawTimeText();
        if (m_state != 0) DrawFileName();
        RefreshRangeTexts();
    }
    return result;
}

void CMainFrame::OnMinimise() { ShowWindow(SW_MINIMIZE); }

void CMainFrame::OnOptions() {
    OnStop();
    COptionDlg dialog(this);
    dialog.m_videoQuality = m_settings.videoQuality;
    dialog.m_audioQuality = m_settings.audioQuality;
    dialog.m_phone = m_settings.phone;
    dialog.m_associate = m_settings.associate;
    if (dialog.DoModal() != IDOK) return;
    m_settings.videoQuality = dialog.m_videoQuality;
    m_settings.audioQuality = dialog.m_audioQuality;
    m_settings.phone = std::min<std::uint32_t>(dialog.m_phone, kPhoneCount - 1);
    m_settings.associate = dialog.m_associate;
    ApplyPhoneAndQualities();
    RefreshRangeTexts();
    SaveSettings(m_settings);
}

void CMainFrame::OnPreview() {
    if (m_media != nullptr) TrxPause(m_media);
    fnEnableWindow(FALSE);
    const int volume = static_cast<int>(m_settings.volume);
    if (m_preview != nullptr) {
        m_preview->SetFile(m_shortOutputPath, m_settings.soundOn, volume);
        m_preview->SetForegroundWindow();
        return;
    }
    m_preview = new CDlgPreview(this);
    m_preview->SetFile(m_shortOutputPath, m_settings.soundOn, volume);
    if (!m_preview->Create(this)) {
        m_preview = nullptr;
        fnEnableWindow(TRUE);
        return;
    }
    m_preview->fnShowWindow(SW_SHOW);
}

LRESULT CMainFrame::OnChildClosed(WPARAM, LPARAM dialog) {
    // Message dialogs say they closed too (with no dialog named).
    if (dialog != 0 && reinterpret_cast<CDlgPreview*>(dialog) == m_preview) m_preview = nullptr;
    return 0;
}

void CMainFrame::OnHelp() {
    const auto* app = dynamic_cast<const CMovantaApp*>(AfxGetApp());
    if (app == nullptr) return;
    const CString page = app->AppPath() + L"\\Localization\\" + TextOf(200);
    HtmlHelpW(nullptr, page.Wide().c_str(), HH_DISPLAY_TOPIC, 0);
}

void CMainFrame::OnCloseButton() {
    m_mediaBar.ShowWindow(SW_HIDE);
    m_volumeBar.ShowWindow(SW_HIDE);
    m_video.ShowWindow(SW_HIDE);
    DestroyWindow();  // the program ends with it (OnDestroy)
}

void CMainFrame::OnSound() {
    m_settings.soundOn = !m_settings.soundOn;
    SetSoundButton();
    ApplyVolume();
}

LRESULT CMainFrame::OnVolumeBarPos(WPARAM volume, LPARAM) {
    m_settings.volume = static_cast<std::uint32_t>(std::min<WPARAM>(volume, CVolumeBar::kMaximum));
    ApplyVolume();
    return 0;
}

void CMainFrame::ApplyVolume() {
    TrxVolume(m_media, static_cast<std::int32_t>(m_settings.volume), m_settings.soundOn ? 0 : 1);
}

void CMainFrame::OnDestroy() {
    CloseMedia();
    ShowWindow(SW_HIDE);
    m_mediaBar.DestroyWindow();
    m_volumeBar.DestroyWindow();
    m_video.DestroyWindow();
    CzCanvasWnd::OnDestroy();
    SaveSettings(m_settings);
    TrxTEnd();
    m_texts.reset();
    // However the window went (its close button, or a close request from
    // the uninstaller), the program ends with it.
    PostQuitMessage(0);
}

}  // namespace movanta::app
