// The dialogs on the offscreen desktop with the built skin, driven the way
// their buttons and lists drive them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "app_messages.h"
#include "message_dlg.h"
#include "option_dlg.h"
#include "skin/canvas/canvas_wnd.h"
#include "skin/package/skin_parser.h"
#include "ui/controls.h"
#include "ui/desktop.h"
#include "win/text.h"

namespace {

using namespace movanta::app;

// A dialog whose first idle moment runs the test's steps on it.
template <class Dialog>
class Scripted : public Dialog {
public:
    template <class... Args>
    explicit Scripted(std::function<void(Scripted&)> steps, Args&&... args)
        : Dialog(std::forward<Args>(args)...), steps_(std::move(steps)) {}
    using Dialog::fnIsBtnChecked;
    using Dialog::fnIsBtnEnabled;

protected:
    BOOL OnInitDialog() override {
        const BOOL result = Dialog::OnInitDialog();
        if (steps_ && this->m_hWnd != nullptr) steps_(*this);
        return result;
    }

private:
    std::function<void(Scripted&)> steps_;
};

class CParent : public CzCanvasWnd {
public:
    CParent() = default;
};

class AppDialogs : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ASSERT_TRUE(movanta::ui::StartDesktop());
        // The package every window of the process shares, from the build.
        CzSkinParser().fnParse(movanta::Utf8ToWide(SKIN_PACKAGE).c_str(), L"OptionDlg", nullptr);
    }
    void SetUp() override {
        parent_ = new CParent;  // deletes itself with its window
        parent_->CreateEx(0, nullptr, L"parent", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr);
    }
    void TearDown() override { parent_->DestroyWindow(); }

    static void ChoosePhone(COptionDlg& dialog, int phone) {
        CWnd* control = dialog.fnGetDlgItem(1002);
        HWND list = control != nullptr ? control->m_hWnd : nullptr;
        ASSERT_NE(list, nullptr);
        SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(phone), 0);
        dialog.SendMessage(WM_COMMAND, MAKEWPARAM(1002, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    }

    CParent* parent_ = nullptr;
};

TEST_F(AppDialogs, APhoneWithFixedQualitiesGreysTheQualityChoiceAndOkTakesTheChoices) {
    std::vector<bool> enabledForPhone2;
    std::vector<bool> enabledForPhone3;
    Scripted<COptionDlg> options(
        [&](Scripted<COptionDlg>& dialog) {
            ChoosePhone(dialog, 2);
            for (UINT button = 32788; button <= 32793; ++button) enabledForPhone2.push_back(dialog.fnIsBtnEnabled(button));
            ChoosePhone(dialog, 3);
            for (UINT button = 32788; button <= 32793; ++button) enabledForPhone3.push_back(dialog.fnIsBtnEnabled(button));
            dialog.fnCheckBtn(32790, true);  // video low
            dialog.fnCheckBtn(32794, true);  // associate
            dialog.PostMessage(WM_COMMAND, IDOK, 0);
        },
        parent_);
    options.m_videoQuality = 2;
    options.m_audioQuality = 0;
    options.m_phone = 1;
    ASSERT_EQ(options.DoModal(), IDOK);
    EXPECT_EQ(enabledForPhone2, std::vector<bool>(6, false));
    EXPECT_EQ(enabledForPhone3, std::vector<bool>(6, true));
    EXPECT_EQ(options.m_videoQuality, 0u);
    EXPECT_EQ(options.m_audioQuality, 0u) << "kept as it was shown";
    EXPECT_EQ(options.m_phone, 3u);
    EXPECT_TRUE(options.m_associate);
}

TEST_F(AppDialogs, OptionsShowTheValuesTheyAreGivenAndCancelChangesNothing) {
    bool videoMedium = false;
    bool audioHigh = false;
    Scripted<COptionDlg> options(
        [&](Scripted<COptionDlg>& dialog) {
            videoMedium = dialog.fnIsBtnChecked(32789);
            audioHigh = dialog.fnIsBtnChecked(32791);
            ChoosePhone(dialog, 4);
            dialog.fnCheckBtn(32793, true);
            dialog.PostMessage(WM_COMMAND, IDCANCEL, 0);
        },
        parent_);
    options.m_videoQuality = 1;
    options.m_audioQuality = 2;
    options.m_phone = 0;
    EXPECT_EQ(options.DoModal(), IDCANCEL);
    EXPECT_TRUE(videoMedium);
    EXPECT_TRUE(audioHigh);
    EXPECT_EQ(options.m_audioQuality, 2u);
    EXPECT_EQ(options.m_phone, 0u);
}

TEST_F(AppDialogs, AMessageAnswersItsButtonsAndTellsItsParentOfOk) {
    Scripted<CMessageDlg> question([](auto& dialog) { dialog.PostMessage(WM_COMMAND, IDCANCEL, 0); }, parent_,
                                   L"Replace it?", CMessageDlg::kOkCancel);
    EXPECT_EQ(question.DoModal(), IDCANCEL);
    Scripted<CMessageDlg> information([](auto& dialog) { dialog.PostMessage(WM_COMMAND, IDOK, 0); }, parent_,
                                      L"Done.", CMessageDlg::kInformation);
    EXPECT_EQ(information.DoModal(), IDOK);
    MSG msg {};
    EXPECT_TRUE(PeekMessageW(&msg, parent_->m_hWnd, WM_CHILDDLG_CLOSED, WM_CHILDDLG_CLOSED, PM_REMOVE));
    CMessageDlg unknown(parent_, L"?", 3);
    EXPECT_EQ(unknown.DoModal(), -1) << "a type without a look shows nothing";
}

}  // namespace
