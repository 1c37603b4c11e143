// The framework's window classes without a screen: message maps, command
// routing and command UI, modal dialogs and the command line.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "afxwin/app.h"
#include "afxwin/controls.h"
#include "afxwin/dialog.h"
#include "afxwin/frame.h"
#include "afxwin/resources.h"
#include "ui/controls.h"

namespace {

std::vector<std::string> gCalls;
UINT gRegistered = RegisterWindowMessageW(L"Movanta-Framework-Test");
constexpr UINT kCommandA = 100;
constexpr UINT kCommandB = 101;

class CBaseWnd : public CWnd {
protected:
    DECLARE_MESSAGE_MAP()
    afx_msg void OnTimer(UINT_PTR id) { gCalls.push_back("base timer " + std::to_string(id)); }
    afx_msg LRESULT OnApp(WPARAM wParam, LPARAM) {
        gCalls.push_back("base app " + std::to_string(wParam));
        return 7;
    }
    afx_msg void OnCommandA() { gCalls.push_back("base A"); }
    afx_msg void OnCommandB() { gCalls.push_back("base B"); }
};

BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
ON_WM_TIMER()
ON_MESSAGE(WM_APP, OnApp)
ON_COMMAND(kCommandA, OnCommandA)
ON_COMMAND(kCommandB, OnCommandB)
END_MESSAGE_MAP()

class CDerivedWnd : public CBaseWnd {
protected:
    DECLARE_MESSAGE_MAP()
    afx_msg void OnCommandA() { gCalls.push_back("derived A"); }
    afx_msg LRESULT OnRegistered(WPARAM, LPARAM) {
        gCalls.push_back("registered");
        return 9;
    }
    afx_msg void OnUpdateA(CCmdUI* ui) { ui->Enable(FALSE); }
    afx_msg void OnDestroy() {
        gCalls.push_back("destroy");
        CWnd::OnDestroy();
    }
};

BEGIN_MESSAGE_MAP(CDerivedWnd, CBaseWnd)
ON_COMMAND(kCommandA, OnCommandA)
ON_REGISTERED_MESSAGE(gRegistered, OnRegistered)
ON_UPDATE_COMMAND_UI(kCommandA, OnUpdateA)
ON_WM_DESTROY()
END_MESSAGE_MAP()

TEST(MessageMaps, ADerivedEntryOverridesTheBaseAndOthersFallBackToIt) {
    gCalls.clear();
    CDerivedWnd window;
    ASSERT_TRUE(window.CreateEx(0, nullptr, L"maps", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
    EXPECT_EQ(CWnd::FromHandlePermanent(window.m_hWnd), &window) << "attached before its first message";
    window.SendMessage(WM_COMMAND, kCommandA, 0);
    window.SendMessage(WM_COMMAND, kCommandB, 0);
    EXPECT_EQ(window.SendMessage(WM_APP, 3, 0), 7);
    EXPECT_EQ(window.SendMessage(gRegistered, 0, 0), 9);
    window.SendMessage(WM_TIMER, 12, 0);
    EXPECT_EQ(gCalls, (std::vector<std::string> {"derived A", "base B", "base app 3", "registered", "base timer 12"}));

    // A command's update handler decides; one without runs nothing.
    CCmdUI ui;
    ui.m_nID = kCommandA;
    EXPECT_TRUE(ui.DoUpdate(&window, TRUE));
    ui.m_nID = kCommandB;
    EXPECT_FALSE(ui.DoUpdate(&window, TRUE));

    gCalls.clear();
    window.DestroyWindow();
    EXPECT_EQ(gCalls, std::vector<std::string> {"destroy"});
    EXPECT_EQ(window.m_hWnd, nullptr) << "detached at WM_NCDESTROY";
}

// A window that ends itself from a handler and is deleted with its window,
// as frame windows are.
class CSelfEndingWnd : public CWnd {
public:
    static inline int deleted = 0;

protected:
    DECLARE_MESSAGE_MAP()
    afx_msg LRESULT OnApp(WPARAM, LPARAM) {
        DestroyWindow();
        return 5;
    }
    void PostNcDestroy() override {
        ++deleted;
        delete this;
    }
};

BEGIN_MESSAGE_MAP(CSelfEndingWnd, CWnd)
ON_MESSAGE(WM_APP, OnApp)
END_MESSAGE_MAP()

TEST(MessageMaps, AWindowDeletedByItsOwnHandlerIsNotTouchedAfter) {
    auto* window = new CSelfEndingWnd;
    ASSERT_TRUE(window->CreateEx(0, nullptr, L"ending", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
    HWND handle = window->m_hWnd;
    CSelfEndingWnd::deleted = 0;
    EXPECT_EQ(SendMessageW(handle, WM_APP, 0, 0), 5);
    EXPECT_EQ(CSelfEndingWnd::deleted, 1);
    EXPECT_FALSE(IsWindow(handle));
}

LRESULT OriginalProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP + 1) gCalls.push_back("original");
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(MessageMaps, SubclassingPutsTheObjectFirstAndUnsubclassingRestores) {
    WNDCLASSW windowClass {};
    windowClass.lpfnWndProc = OriginalProc;
    windowClass.lpszClassName = L"MovantaSubclassed";
    ASSERT_NE(RegisterClassW(&windowClass), 0);
    HWND handle =
        CreateWindowExW(0, L"MovantaSubclassed", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    gCalls.clear();
    {
        CDerivedWnd object;
        ASSERT_TRUE(object.SubclassWindow(handle));
        SendMessageW(handle, WM_APP, 1, 0);
        SendMessageW(handle, WM_APP + 1, 0, 0);  // not in the map: the original procedure
        EXPECT_EQ(object.UnsubclassWindow(), handle);
    }
    SendMessageW(handle, WM_APP, 1, 0);
    EXPECT_EQ(gCalls, (std::vector<std::string> {"base app 1", "original"}));
    DestroyWindow(handle);
}

constexpr UINT kTestDialog = 4000;

class CTimedDialog : public CDialog {
public:
    CTimedDialog() : CDialog(kTestDialog) {}
    int ticks = 0;
    bool posted = false;
    bool initialised = false;

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override {
        initialised = true;
        SetTimer(1, 10);
        return CDialog::OnInitDialog();
    }
    afx_msg void OnTimer(UINT_PTR) {
        if (++ticks == 3) PostMessage(WM_APP, 42, 0);
    }
    afx_msg LRESULT OnApp(WPARAM wParam, LPARAM) {
        posted = true;
        EndDialog(static_cast<int>(wParam));
        return 0;
    }
};

BEGIN_MESSAGE_MAP(CTimedDialog, CDialog)
ON_WM_TIMER()
ON_MESSAGE(WM_APP, OnApp)
END_MESSAGE_MAP()

TEST(Dialogs, AModalLoopRunsTimersAndPostedMessagesAndReturnsTheEndValue) {
    DialogTemplate dialog;
    dialog.title = L"Timed";
    dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    dialog.rect = {0, 0, 187, 94};
    RegisterDialogTemplate(nullptr, kTestDialog, dialog);

    CTimedDialog timed;
    EXPECT_EQ(timed.DoModal(), 42);
    EXPECT_TRUE(timed.initialised);
    EXPECT_EQ(timed.ticks, 3);
    EXPECT_TRUE(timed.posted);
    EXPECT_EQ(timed.m_hWnd, nullptr) << "the window is gone after the loop";

    // Escape cancels; the close box too.
    class CQuickDialog : public CDialog {
    public:
        CQuickDialog() : CDialog(kTestDialog) {}
        UINT key = 0;
        BOOL OnInitDialog() override {
            if (key != 0) {
                PostMessage(WM_KEYDOWN, key, 0);
            } else {
                PostMessage(WM_CLOSE);
            }
            return TRUE;
        }
    };
    CQuickDialog escape;
    escape.key = 0x1B;
    EXPECT_EQ(escape.DoModal(), IDCANCEL);
    CQuickDialog enter;
    enter.key = 0x0D;
    EXPECT_EQ(enter.DoModal(), IDOK);
    CQuickDialog closed;
    EXPECT_EQ(closed.DoModal(), IDCANCEL);

    CDialog missing(4999);
    EXPECT_EQ(missing.DoModal(), -1) << "no such template";
}

TEST(Dialogs, DialogUnitsFollowTheDialogFont) {
    const RECT pixels = DialogUnitsToPixels({0, 0, 187, 94});
    EXPECT_EQ(pixels.right, 280);
    EXPECT_EQ(pixels.bottom, 152);
}

TEST(Application, TheCommandLineGivesTheFileAndFlags) {
    CWinApp app(L"Movanta Test");
    app.m_arguments = {L"-quiet", L"/home/someone/clip.avi", L"-x", L"other.avi"};
    struct Info : CCommandLineInfo {
        std::vector<std::wstring> flags;
        void ParseParam(const WCHAR* param, BOOL flag, BOOL last) override {
            if (flag) flags.push_back(param);
            if (last) flags.push_back(L"<last>");
            CCommandLineInfo::ParseParam(param, flag, last);
        }
    } info;
    app.ParseCommandLine(info);
    EXPECT_EQ(info.m_nShellCommand, CCommandLineInfo::FileOpen);
    EXPECT_STREQ(info.m_strFileName.GetString(), L"/home/someone/clip.avi") << "an absolute path is no flag";
    EXPECT_EQ(info.flags, (std::vector<std::wstring> {L"quiet", L"x", L"<last>"}));
    EXPECT_EQ(AfxGetApp(), &app);
    const std::wstring help = app.m_pszHelpFilePath.GetString();
    EXPECT_EQ(help.substr(help.size() - 4), L".chm");
}

}  // namespace

namespace {

constexpr UINT kFormDialog = 4001;
constexpr UINT kNameEdit = 1001;
constexpr UINT kPhoneCombo = 1002;

class CFormDialog : public CDialog {
public:
    CFormDialog() : CDialog(kFormDialog) {}
    CString name;
    int phone = -1;
    int changes = 0;

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        m_phones.SubclassDlgItem(kPhoneCombo, this);
        m_phones.AddString(L"Nokia 6230");
        m_phones.AddString(L"Motorola V3");
        m_phones.SetCurSel(0);
        SetDlgItemInt(kNameEdit, 42);
        // What a user's choice sends, then Enter.
        ::SendMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(kPhoneCombo, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(m_phones.m_hWnd));
        PostMessage(WM_KEYDOWN, 0x0D, 0);
        return TRUE;
    }
    void OnOK() override {
        BOOL number = FALSE;
        EXPECT_EQ(GetDlgItemInt(kNameEdit, &number), 42u);
        EXPECT_TRUE(number);
        SetDlgItemText(kNameEdit, L"clip");
        GetDlgItemText(kNameEdit, name);
        phone = m_phones.GetCurSel();
        CDialog::OnOK();
    }
    afx_msg void OnPhoneChanged() { ++changes; }

    CComboBox m_phones;
};

BEGIN_MESSAGE_MAP(CFormDialog, CDialog)
ON_CBN_SELCHANGE(kPhoneCombo, OnPhoneChanged)
END_MESSAGE_MAP()

TEST(Dialogs, TemplateControlsAreMadeAndReachedThroughTheDialog) {
    DialogTemplate dialog;
    dialog.title = L"Options";
    dialog.style = WS_POPUP | WS_CAPTION;
    dialog.rect = {0, 0, 200, 100};
    dialog.items = {{L"EDIT", L"", kNameEdit, WS_TABSTOP, 0, {10, 10, 100, 24}},
                    {L"ComboBox", L"", kPhoneCombo, CBS_DROPDOWNLIST | WS_TABSTOP, 0, {10, 30, 100, 80}}};
    RegisterDialogTemplate(nullptr, kFormDialog, dialog);
    CFormDialog form;
    EXPECT_EQ(form.DoModal(), IDOK);
    EXPECT_STREQ(form.name.GetString(), L"clip");
    EXPECT_EQ(form.phone, 0);
    EXPECT_EQ(form.changes, 1) << "the notification reached the map with the control's identifier";
}

}  // namespace

namespace {

constexpr UINT kFrameTitle = 4100;
constexpr UINT kPlayButton = 300;
constexpr UINT kStopButton = 301;

class CPlayerFrame : public CFrameWnd {
public:
    bool playing = false;

protected:
    DECLARE_MESSAGE_MAP()
    afx_msg void OnUpdatePlay(CCmdUI* ui) { ui->Enable(!playing); }
};

BEGIN_MESSAGE_MAP(CPlayerFrame, CFrameWnd)
ON_UPDATE_COMMAND_UI(kPlayButton, OnUpdatePlay)
END_MESSAGE_MAP()

TEST(Frames, TheTitleComesFromTheResourceAndIdleTimeUpdatesCommandUi) {
    RegisterStringResource(nullptr, kFrameTitle, L"Movanta\nPlayer");
    CWinApp app(L"Frames");
    auto* frame = new CPlayerFrame;  // deletes itself with its window
    ASSERT_TRUE(frame->LoadFrame(kFrameTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE));
    CString title;
    frame->GetWindowText(title);
    EXPECT_STREQ(title.GetString(), L"Movanta");
    CButton play;
    CButton stop;
    ASSERT_TRUE(play.Create(L"Play", WS_VISIBLE, CRect(0, 0, 50, 20), frame, kPlayButton));
    ASSERT_TRUE(stop.Create(L"Stop", WS_VISIBLE, CRect(60, 0, 110, 20), frame, kStopButton));
    app.m_pMainWnd = frame;

    frame->playing = true;
    app.OnIdle(0);
    EXPECT_FALSE(play.IsWindowEnabled()) << "its update handler disabled it";
    EXPECT_TRUE(stop.IsWindowEnabled()) << "no handler: left alone";
    frame->playing = false;
    app.OnIdle(0);
    EXPECT_TRUE(play.IsWindowEnabled());

    play.DestroyWindow();
    stop.DestroyWindow();
    frame->DestroyWindow();
}

}  // namespace

namespace {

class CCountingApp : public CWinApp {
public:
    CCountingApp() : CWinApp(L"Counting") {}
    int idles = 0;
    int exitCode = -1;
    BOOL OnIdle(LONG count) override {
        if (count == 0) ++idles;
        return CWinApp::OnIdle(count);
    }
    int ExitInstance() override { return exitCode = CWinApp::ExitInstance(); }
};

TEST(Application, RunHandlesMessagesIdlesBetweenThemAndEndsWithTheQuitCode) {
    CCountingApp app;
    CDerivedWnd window;
    ASSERT_TRUE(window.CreateEx(0, nullptr, L"run", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    gCalls.clear();
    window.PostMessage(WM_APP, 1, 0);
    window.SetTimer(5, 20);
    ::SetTimer(nullptr, 0, 120, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(3); });
    EXPECT_EQ(app.Run(), 3);
    EXPECT_EQ(app.exitCode, 3);
    EXPECT_EQ(gCalls.front(), "base app 1");
    EXPECT_GE(std::count(gCalls.begin(), gCalls.end(), "base timer 5"), 3);
    EXPECT_GE(app.idles, 2) << "idle time came between the messages";
    window.DestroyWindow();
}

TEST(Frames, AFrameNamingAClassOfItsOwnIsMadeInIt) {
    class CNamedFrame : public CFrameWnd {
    public:
        BOOL PreCreateWindow(CREATESTRUCTW& create) override {
            create.lpszClass = L"MovantaOwnFrameClass";
            return CFrameWnd::PreCreateWindow(create);
        }
    };
    auto* frame = new CNamedFrame;  // deletes itself with its window
    ASSERT_TRUE(frame->CreateEx(0, nullptr, L"named", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_EQ(FindWindowW(L"MovantaOwnFrameClass", nullptr), frame->m_hWnd);
    frame->DestroyWindow();
}

TEST(Application, ADestroyedMainWindowIsNoLongerTheApplications) {
    CCountingApp app;
    auto* frame = new CFrameWnd;  // deletes itself with its window
    ASSERT_TRUE(frame->CreateEx(0, nullptr, L"main", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    app.m_pMainWnd = frame;
    EXPECT_EQ(AfxGetMainWnd(), frame);
    frame->DestroyWindow();
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    MSG message {};
    EXPECT_FALSE(app.PreTranslateMessage(&message)) << "nothing left to reach";
}

TEST(Dialogs, AModelessDialogAndItsToolTips) {
    DialogTemplate dialog;
    dialog.title = L"Progress";
    dialog.style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    dialog.rect = {0, 0, 120, 40};
    RegisterDialogTemplate(nullptr, 4002, dialog);
    CDialog progress;
    ASSERT_TRUE(progress.Create(4002));
    EXPECT_TRUE(progress.IsWindowVisible()) << "a visible template shows at once";
    CToolTipCtrl tips;
    ASSERT_TRUE(tips.Create(&progress));
    EXPECT_FALSE(tips.IsWindowVisible());
    EXPECT_TRUE(tips.AddTool(&progress, L"Converting"));
    const CRect part(0, 0, 10, 10);
    EXPECT_TRUE(tips.AddTool(&progress, L"Part", &part, 7));
    EXPECT_EQ(tips.GetToolCount(), 2);
    tips.UpdateTipText(L"Done", &progress);
    tips.DelTool(&progress);
    EXPECT_EQ(tips.GetToolCount(), 1);
    progress.EndDialog(IDOK);
    EXPECT_FALSE(progress.IsWindowVisible()) << "ending a modeless dialog hides it";
    progress.DestroyWindow();
}

}  // namespace
