// Canvas buttons: the frame each state shows, and the mouse: press and
// slide, release anywhere, auto-repeat, toggles and radio groups.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "afxwin/app.h"
#include "gdi/gdi_objects.h"
#include "pictures.h"
#include "skin/canvas/canvas_registry.h"
#include "skin/canvas/canvas_wnd.h"
#include "win/windows.h"

namespace {

// A strip of `frames` frames of 10 x 10 whose frame i is grey 10 × (i + 1).
HBITMAP Strip(int frames) {
    HBITMAP strip = FilledPicture(10 * frames, 10, 24, 0);
    DIBSECTION section {};
    GetObjectW(strip, sizeof(section), &section);
    auto* bits = static_cast<std::uint8_t*>(section.dsBm.bmBits);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10 * frames; ++x) {
            for (int c = 0; c < 3; ++c)
                bits[y * section.dsBm.bmWidthBytes + x * 3 + c] = static_cast<std::uint8_t>(10 * (x / 10 + 1));
        }
    }
    return strip;
}

class CCommandCanvas : public CzCanvasWnd {
public:
    std::vector<UINT> commands;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        commands.push_back(LOWORD(wParam));
        return CzCanvasWnd::OnCommand(wParam, lParam);
    }
};

class ButtonsTest : public ::testing::Test {
protected:
    void SetUp() override {
        canvas_ = new CCommandCanvas;
        ASSERT_TRUE(canvas_->CreateEx(0, nullptr, L"buttons", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
        image_ = FilledPicture(200, 100, 32, 0);
        CArray<CzRefObj> refs;
        canvas_->fnSetLocation(CRect(0, 0, 0, 0), refs);
        ASSERT_TRUE(canvas_->fnSetCanvas(image_, nullptr, 0, CRect(), false));
        canvas_->ShowWindow(SW_SHOW);  // active: hover follows the mouse
        handle_ = canvas_->GetSafeHwnd();
    }
    void TearDown() override {
        canvas_->DestroyWindow();
        DeleteObject(image_);
    }

    void Add(UINT id, int x, int frames, DWORD style = 0) {
        CArray<CzRefObj> refs;
        canvas_->fnAddBtn(id, Strip(frames), CRect(x, 10, x, 10), refs, static_cast<UINT>(frames), style);
    }
    // The grey level the composition shows at a button's middle.
    int Face(int x) const { return static_cast<int>(CompositionOf(handle_)->Read(x + 5, 15) & 0xFF); }
    void Mouse(UINT message, int x, int y, WPARAM keys) const {
        SendMessageW(handle_, message, keys, MAKELPARAM(x, y));
    }
    void Click(int x) const {
        Mouse(WM_LBUTTONDOWN, x + 5, 15, MK_LBUTTON);
        Mouse(WM_LBUTTONUP, x + 5, 15, 0);
    }
    // Handles what waits, for about `ms` milliseconds.
    void Pump(DWORD ms) const {
        const DWORD start = GetTickCount();
        MSG msg;
        do {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            Sleep(5);
        } while (GetTickCount() - start < ms);
    }

    CCommandCanvas* canvas_ = nullptr;
    HBITMAP image_ = nullptr;
    HWND handle_ = nullptr;
};

TEST_F(ButtonsTest, EachStateShowsItsFrame) {
    Add(1, 0, 2);
    Add(2, 20, 4);
    EXPECT_EQ(Face(0), 10);
    Mouse(WM_MOUSEMOVE, 25, 15, 0);
    EXPECT_EQ(Face(20), 30) << "hover: frame 2";
    Mouse(WM_MOUSEMOVE, 5, 15, 0);
    EXPECT_EQ(Face(20), 10) << "hover gone";
    EXPECT_EQ(Face(0), 10) << "no hover frame on two frames";
    Mouse(WM_LBUTTONDOWN, 5, 15, MK_LBUTTON);
    EXPECT_EQ(Face(0), 20) << "pressed: frame 1";
    Mouse(WM_LBUTTONUP, 5, 15, 0);
    EXPECT_EQ(Face(0), 10);
    canvas_->fnEnableBtn(2, false);
    EXPECT_EQ(Face(20), 40) << "disabled: frame 3";
    EXPECT_FALSE(canvas_->fnIsBtnEnabled(2));
    EXPECT_EQ(SendMessageW(handle_, WM_NCHITTEST, 0, MAKELPARAM(5, 15)), HTCLIENT) << "an enabled button";
    Pump(20);
    canvas_->commands.clear();
}

TEST_F(ButtonsTest, PressSlideAndReleaseAnywhere) {
    Add(1, 0, 4);
    Add(2, 20, 4);
    Mouse(WM_LBUTTONDOWN, 5, 15, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, 25, 15, MK_LBUTTON);
    EXPECT_EQ(Face(0), 10) << "A is back to normal";
    EXPECT_EQ(Face(20), 20) << "B is pressed";
    Mouse(WM_LBUTTONUP, 25, 15, 0);
    Pump(20);
    EXPECT_EQ(canvas_->commands, std::vector<UINT> {2}) << "B's command";

    canvas_->commands.clear();
    Mouse(WM_LBUTTONDOWN, 5, 15, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, 150, 80, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 150, 80, 0);
    Pump(20);
    EXPECT_EQ(canvas_->commands, std::vector<UINT> {1}) << "released off every button: the pressed one's command";
}

TEST_F(ButtonsTest, HoldingAnAutoRepeatButtonRepeatsItsCommand) {
    Add(7, 0, 4, BUTTON_STYLE_REPEAT);
    Mouse(WM_LBUTTONDOWN, 5, 15, MK_LBUTTON);
    Pump(1000);
    const size_t repeated = canvas_->commands.size();
    EXPECT_GE(repeated, 3u);
    EXPECT_LE(repeated, 6u) << "about five in a second";
    Mouse(WM_LBUTTONUP, 5, 15, 0);
    Pump(300);
    EXPECT_EQ(canvas_->commands.size(), repeated + 1) << "once more at the release, then no more";
}

TEST_F(ButtonsTest, TogglesRadioGroupsAndTexts) {
    Add(1, 0, 4, BUTTON_STYLE_TOGGLE);
    Click(0);
    EXPECT_TRUE(canvas_->fnIsBtnChecked(1));
    Click(0);
    EXPECT_FALSE(canvas_->fnIsBtnChecked(1)) << "clicked twice";

    Add(2, 20, 4);
    Add(3, 40, 4);
    canvas_->fnSetRadioBtn(2, 3);
    Click(20);
    EXPECT_TRUE(canvas_->fnIsBtnChecked(2));
    Click(40);
    EXPECT_FALSE(canvas_->fnIsBtnChecked(2)) << "the second releases the first";
    EXPECT_TRUE(canvas_->fnIsBtnChecked(3));

    canvas_->fnChangeBtnText(3, L"Play\nStart playing");
    const CzButtonRecord* button = static_cast<CzButtonRecord*>(canvas_->fnGetPtrLocate(LOCATION_BUTTON, 3));
    ASSERT_NE(button, nullptr);
    EXPECT_STREQ(button->m_caption.GetString(), L"Play");
    EXPECT_STREQ(button->m_tooltip.GetString(), L"Start playing");
    canvas_->fnChangeBtnText(3, L"Stop");
    EXPECT_STREQ(button->m_tooltip.GetString(), L"Stop") << "without a line feed both are the whole text";
    canvas_->fnShowBtn(3, false, true);
    EXPECT_FALSE(canvas_->fnIsBtnShown(3));
    EXPECT_EQ(Face(40), 0) << "hidden: the background";
    Pump(20);
}

}  // namespace

namespace {

class CPlayerCanvas : public CCommandCanvas {
public:
    bool playing = false;

protected:
    DECLARE_MESSAGE_MAP()
    afx_msg void OnUpdatePlay(CCmdUI* ui) {
        ui->Enable(!playing);
        ui->SetCheck(playing ? 1 : 0);
    }
};

BEGIN_MESSAGE_MAP(CPlayerCanvas, CCommandCanvas)
ON_UPDATE_COMMAND_UI(5, OnUpdatePlay)
END_MESSAGE_MAP()

TEST(ButtonCommandUi, IdleTimeAsksTheUpdateHandlers) {
    auto* canvas = new CPlayerCanvas;
    ASSERT_TRUE(canvas->CreateEx(0, nullptr, L"player", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
    HBITMAP image = FilledPicture(100, 50, 32, 0);
    CArray<CzRefObj> refs;
    canvas->fnSetLocation(CRect(0, 0, 0, 0), refs);
    ASSERT_TRUE(canvas->fnSetCanvas(image, nullptr, 0, CRect(), false));
    canvas->fnAddBtn(5, Strip(4), CRect(0, 0, 0, 0), refs, 4, 0);
    canvas->fnAddBtn(6, Strip(4), CRect(20, 0, 20, 0), refs, 4, 0);
    canvas->playing = true;
    canvas->SendMessage(WM_IDLEUPDATECMDUI, TRUE, 0);
    EXPECT_FALSE(canvas->fnIsBtnEnabled(5));
    EXPECT_TRUE(canvas->fnIsBtnChecked(5));
    EXPECT_TRUE(canvas->fnIsBtnEnabled(6)) << "no handler: left alone";
    canvas->playing = false;
    canvas->SendMessage(WM_IDLEUPDATECMDUI, TRUE, 0);
    EXPECT_TRUE(canvas->fnIsBtnEnabled(5));
    EXPECT_FALSE(canvas->fnIsBtnChecked(5));
    canvas->DestroyWindow();
    DeleteObject(image);
}

}  // namespace

namespace {

TEST_F(ButtonsTest, FacesPositionsAndTextsOfButtons) {
    Add(1, 0, 4);
    HBITMAP wide = FilledPicture(120, 12, 24, 0x55);  // four frames of 30 x 12, kept by the test
    EXPECT_TRUE(canvas_->fnChangeBtnFace(1, wide, 4));
    EXPECT_EQ(canvas_->fnGetBtnPos(1), CRect(0, 10, 30, 22));
    EXPECT_EQ(Face(10), 0x55);
    EXPECT_EQ(canvas_->fnChangeBtnPos(1, 50, 10, true), CRect(50, 10, 80, 22));
    EXPECT_EQ(Face(0), 0) << "the old place is cleared";
    EXPECT_EQ(Face(55), 0x55);
    EXPECT_EQ(canvas_->fnChangeBtnPos(1, 50, 10, true), CRect(50, 10, 80, 22)) << "already there";
    EXPECT_FALSE(canvas_->fnDrawBtnFace(1, L"", RGB(255, 255, 255), nullptr));
    EXPECT_TRUE(canvas_->fnDrawBtnFace(1, L"OK", RGB(255, 255, 255), nullptr));
    int ink = 0;
    const movanta::gdi::Bitmap* composition = CompositionOf(handle_);
    for (int y = 10; y < 22; ++y) {
        for (int x = 50; x < 80; ++x) ink += (composition->Read(x, y) & 0xFF) > 0xC0;
    }
    EXPECT_GT(ink, 5) << "the text on the face";
    canvas_->DestroyWindow();
    canvas_ = new CCommandCanvas;
    ASSERT_TRUE(canvas_->CreateEx(0, nullptr, L"again", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
    DeleteObject(wide);
}

}  // namespace
