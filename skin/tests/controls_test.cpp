// Real controls, splitters and embedded canvases on canvases built from skin
// sections, without a screen: popup controls glued over a per-pixel canvas,
// their fonts, lists and buddies, the splitter drag and its range, slots,
// dialog-item access and the library's own interface.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <vector>

#include "afxwin/controls.h"
#include "afxwin/resources.h"
#include "packages.h"
#include "pictures.h"
#include "skin/canvas/canvas_registry.h"
#include "skin/canvas/canvas_wnd.h"
#include "skin/library.h"
#include "skin/package/skin_package.h"
#include "ui/controls.h"
#include "ui/cursors.h"

namespace {

// A canvas that keeps the commands it is sent.
class CCommandCanvas : public CzCanvasWnd {
public:
    std::vector<WPARAM> m_commands;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        m_commands.push_back(wParam);
        return CzCanvasWnd::OnCommand(wParam, lParam);
    }
};

CRect ScreenRect(HWND window) {
    CRect rect;
    GetWindowRect(window, &rect);
    return rect;
}

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override { CzSkinParser::fnGetPackage().fnRemoveAll(); }
    void TearDown() override {
        CzSkinParser::fnGetPackage().fnRemoveAll();
        EXPECT_EQ(CzCanvasRegistry::Count(), 0) << "every record went with its window";
    }

    // A 400 x 200 per-pixel main canvas and a 100 x 60 panel picture.
    std::wstring Package(const std::string& script) {
        return MakePackage(
            dir_, script,
            {{"back.bmp", 400, 200, 24, 0x30}, {"mask.bmp", 400, 200, 8, 0xFF}, {"panel.bmp", 100, 60, 24, 0x80}});
    }

    // A main canvas at (100, 50) with the section applied and shown.
    static CCommandCanvas* Show(const std::wstring& package, LPCWSTR section) {
        auto* canvas = new CCommandCanvas;
        EXPECT_TRUE(canvas->CreateEx(0, nullptr, L"main", WS_POPUP, 100, 50, 10, 10, nullptr, nullptr));
        canvas->fnParseScript(package.c_str(), section);
        canvas->ShowWindow(SW_SHOWNA);
        return canvas;
    }

    static CPoint Origin(const CWnd& canvas) {
        CPoint origin(0, 0);
        canvas.ClientToScreen(&origin);
        return origin;
    }

    movanta::testing::TempDir dir_;
};

TEST_F(ControlsTest, AnEditOnAPerPixelCanvasIsAPopupGluedToItThatReportsWithItsSkinIdentifier) {
    const std::wstring package = Package(
        "[Main]\n"
        "Canvas=POS:0,0,0,0;IMAGE:back.bmp,1;MASK:mask.bmp,1;\n"
        "CtrlName=POS:10,10,110,30;ID:1201;CLASS:EDIT;STYLE:0x10000000;\n");
    auto* canvas = new CCommandCanvas;
    ASSERT_TRUE(canvas->CreateEx(0, nullptr, L"main", WS_POPUP, 100, 50, 10, 10, nullptr, nullptr));
    canvas->fnParseScript(package.c_str(), L"Main");
    CWnd* item = canvas->fnGetDlgItem(1201);
    ASSERT_NE(item, nullptr);
    HWND edit = item->GetSafeHwnd();
    EXPECT_EQ(GetWindow(edit, GW_OWNER), canvas->GetSafeHwnd());
    EXPECT_EQ(GetWindowLongW(edit, GWL_STYLE) & (WS_POPUP | WS_CHILD), static_cast<LONG>(WS_POPUP));
    EXPECT_NE(GetWindowLongW(edit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
    EXPECT_EQ(GetDlgCtrlID(edit), 0) << "a popup has no identifier of its own";
    EXPECT_FALSE(IsWindowVisible(edit)) << "hidden until the canvas shows";
    EXPECT_EQ(canvas->fnGetPtrLocate(LOCATION_CONTROL, 1201), canvas->fnGetParser().fnGetMasterKey(L"CtrlName"));

    canvas->ShowWindow(SW_SHOWNA);
    EXPECT_TRUE(IsWindowVisible(edit));
    EXPECT_EQ(ScreenRect(edit), CRect(110, 60, 210, 80));
    canvas->SetWindowPos(nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(ScreenRect(edit), CRect(310, 210, 410, 230)) << "it moves with the canvas";

    SetWindowTextW(edit, L"holiday");
    ASSERT_FALSE(canvas->m_commands.empty());
    EXPECT_EQ(canvas->m_commands.back(), MAKEWPARAM(1201, EN_CHANGE));

    // Dialog items look at the popup first; a number is all digits and signs.
    bool ok = true;
    SetWindowTextW(edit, L"12a");
    EXPECT_EQ(canvas->fnGetDlgItemInt(1201, &ok, true), 0u);
    EXPECT_FALSE(ok) << "no child 1201 either";
    SetWindowTextW(edit, L"-7");
    EXPECT_EQ(static_cast<int>(canvas->fnGetDlgItemInt(1201, &ok, false)), -7);
    EXPECT_TRUE(ok);
    canvas->fnSetDlgItemInt(1201, static_cast<UINT>(-42));
    CString text;
    EXPECT_EQ(canvas->fnGetDlgItemText(1201, text), 3);
    EXPECT_STREQ(text.GetString(), L"-42");

    // Data exchange reaches the popup too, once.
    CEdit exchanged;
    ZDDX_Control(canvas, 1201, exchanged);
    EXPECT_EQ(exchanged.GetSafeHwnd(), edit);
    ZDDX_Control(canvas, 1201, exchanged);
    CEdit missing;
    bool thrown = false;
    try {
        ZDDX_Control(canvas, 1299, missing);
    } catch (CNotSupportedException* error) {
        thrown = true;
        error->Delete();
    }
    EXPECT_TRUE(thrown);
    exchanged.UnsubclassWindow();

    // Enabled with the canvas, unless disabled itself.
    canvas->fnEnableWindow(FALSE);
    EXPECT_FALSE(IsWindowEnabled(edit));
    canvas->fnEnableCtrl(1201, FALSE);
    canvas->fnEnableWindow(TRUE);
    EXPECT_FALSE(IsWindowEnabled(edit));
    canvas->fnEnableCtrl(1201, TRUE);
    EXPECT_TRUE(IsWindowEnabled(edit));

    // Activating the popup brings its canvas to the front of the canvases;
    // its accelerator commands reach the canvas too.
    auto* other = static_cast<CzCanvasWnd*>(RUNTIME_CLASS(CzCanvasWnd)->CreateObject());
    ASSERT_TRUE(other->CreateEx(0, nullptr, L"other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_EQ(CzCanvasRegistry::Following(canvas->GetSafeHwnd()).size(), 1u);
    SendMessageW(edit, WM_ACTIVATE, WA_CLICKACTIVE, 0);
    EXPECT_TRUE(CzCanvasRegistry::Following(canvas->GetSafeHwnd()).empty());
    SendMessageW(edit, WM_COMMAND, MAKEWPARAM(0, 1), 0);
    EXPECT_EQ(canvas->m_commands.back(), MAKEWPARAM(1201, 1));
    other->DestroyWindow();

    canvas->ShowWindow(SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(edit)) << "hidden with the canvas";

    // Applying the skin again destroys the old popup and makes a new one.
    canvas->fnParseScript(package.c_str(), L"Main");
    EXPECT_FALSE(IsWindow(edit));
    ASSERT_NE(canvas->fnGetDlgItem(1201), nullptr);
    EXPECT_TRUE(IsWindow(canvas->fnGetDlgItem(1201)->GetSafeHwnd()));
    canvas->DestroyWindow();
}

TEST_F(ControlsTest, ComboBoxesAndUpDownsAreSizedAndPlacedForTheirNeighbours) {
    const std::wstring package = Package(
        "[Main]\n"
        "Canvas=POS:0,0,0,0;IMAGE:back.bmp,1;MASK:mask.bmp,1;\n"
        "CtrlPhone=POS:10,40,110,60;ID:1202;CLASS:ComboBox;STYLE:0x10000003;\n"
        "CtrlCount=POS:10,70,60,90;ID:1203;CLASS:EDIT;STYLE:0x10000000;ALIGN:0x01;\n"
        "CtrlSpin=POS:0,0,16,20;ID:1204;CLASS:msctls_updown32;STYLE:0x10000000;\n"
        "CtrlLeft=POS:200,70,250,90;ID:1205;CLASS:EDIT;STYLE:0x10000000;ALIGN:0x01;\n"
        "CtrlLeftSpin=POS:0,0,16,20;ID:1206;CLASS:msctls_updown32;STYLE:0x10000008;\n");
    CCommandCanvas* canvas = Show(package, L"Main");
    HWND combo = canvas->fnGetDlgItem(1202)->GetSafeHwnd();
    LOGFONTW font {};
    GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessageW(combo, WM_GETFONT, 0, 0)), sizeof(font), &font);
    EXPECT_NE(font.lfHeight, 0) << "the icon-title font";
    EXPECT_LE(std::abs(font.lfHeight), 12) << "no taller than the control less 8";
    const auto itemHeight = static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
    RECT dropped {};
    SendMessageW(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    EXPECT_EQ(dropped.bottom - dropped.top, itemHeight * 10) << "a list of ten items";

    HWND count = canvas->fnGetDlgItem(1203)->GetSafeHwnd();
    HWND spin = canvas->fnGetDlgItem(1204)->GetSafeHwnd();
    HWND left = canvas->fnGetDlgItem(1205)->GetSafeHwnd();
    HWND leftSpin = canvas->fnGetDlgItem(1206)->GetSafeHwnd();
    SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(count), 0);
    SendMessageW(leftSpin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(left), 0);
    for (int width : {460, 420, 400}) {
        canvas->SetWindowPos(nullptr, 0, 0, width, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        const CPoint origin = Origin(*canvas);
        EXPECT_EQ(ScreenRect(count).TopLeft(), CPoint(origin.x + 10 + width - 400, origin.y + 70));
        EXPECT_EQ(ScreenRect(spin).TopLeft(), CPoint(ScreenRect(count).right, ScreenRect(count).top))
            << "at the buddy's right for a width of " << width;
        EXPECT_EQ(ScreenRect(leftSpin).right, ScreenRect(left).left) << "align-left: at the buddy's left";
        RECT list {};
        SendMessageW(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&list));
        EXPECT_EQ(list.bottom - list.top, itemHeight * 10) << "layout keeps the list";
    }
    canvas->DestroyWindow();
}

TEST_F(ControlsTest, ASplitterDragsWithinItsMarginsAndFollowsAShrinkingCanvas) {
    const std::wstring package = Package(
        "[Main]\n"
        "Canvas=POS:0,0,0,0;IMAGE:back.bmp,1;MASK:mask.bmp,1;\n"
        "SplitMiddle=POS:195,0,205,200;ID:1300;MARGIN:50,50;\n"
        "CtrlLeft=POS:0,0,195,200;ID:1301;CLASS:SysListView32;STYLE:0x10000000;ALIGN:SplitMiddle,0x200;\n"
        "CtrlRight=POS:205,0,400,200;ID:1302;CLASS:SysListView32;STYLE:0x10000000;ALIGN:0x200,100,0;"
        "ALIGN:SplitMiddle,0x201;\n");
    CCommandCanvas* canvas = Show(package, L"Main");
    const auto* splitter = static_cast<CzSplitterRecord*>(canvas->fnGetPtrLocate(LOCATION_SPLITTER, 1300));
    ASSERT_NE(splitter, nullptr);
    EXPECT_EQ(canvas->fnGetParser().fnGetMasterKey(L"SplitMiddle"), splitter);
    EXPECT_EQ(splitter->m_largest, 350);
    HWND left = canvas->fnGetDlgItem(1301)->GetSafeHwnd();
    HWND right = canvas->fnGetDlgItem(1302)->GetSafeHwnd();
    const CPoint origin = Origin(*canvas);
    const auto drag = [&](int from, int to) {
        canvas->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from, 100));
        canvas->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((from + to) / 2, 100));
        canvas->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to, 100));
        canvas->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(to, 100));
    };
    // While the mouse drags, the bar's new place shows inverted.
    canvas->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 100));
    canvas->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300, 100));
    const movanta::gdi::Bitmap* composition = CompositionOf(canvas->GetSafeHwnd());
    ASSERT_NE(composition, nullptr);
    EXPECT_EQ(composition->Read(300, 100) & 0xFFFFFF, 0xCFCFCFu) << "the feedback";
    EXPECT_EQ(composition->Read(200, 100) & 0xFFFFFF, 0x303030u) << "the old feedback taken away";
    canvas->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(390, 100));
    canvas->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(390, 100));
    EXPECT_EQ(CompositionOf(canvas->GetSafeHwnd())->Read(350, 100) & 0xFFFFFF, 0x303030u) << "no feedback left";
    EXPECT_EQ(splitter->Centre(), 350) << "no further than the second margin";
    EXPECT_EQ(ScreenRect(left).right - origin.x, 345) << "the left list ends at the bar";
    EXPECT_EQ(ScreenRect(right).left - origin.x, 355) << "the right list starts after it";
    EXPECT_EQ(ScreenRect(right).right - origin.x, 400);
    drag(350, 10);
    EXPECT_EQ(splitter->Centre(), 50) << "no nearer than the first margin";
    drag(50, 330);
    EXPECT_EQ(splitter->Centre(), 330);

    canvas->SetWindowPos(nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(splitter->m_largest, 250);
    EXPECT_EQ(splitter->Centre(), 250) << "pulled back into the narrower canvas";
    EXPECT_EQ(ScreenRect(left).right - origin.x, 245);
    EXPECT_EQ(ScreenRect(right).left - origin.x, 255);
    EXPECT_EQ(ScreenRect(right).right - origin.x, 300) << "the right list follows the canvas's edge";
    canvas->DestroyWindow();
}

TEST_F(ControlsTest, AnEmbeddedCanvasTakesItsSlotOrElseFollowsItsParentOnly) {
    const std::string panel =
        "[Panel]\n"
        "Canvas=POS:20,20,0,0;IMAGE:panel.bmp,1;STYLE:0x50000000;ALIGN:0x11;\n";
    for (const bool slot : {true, false}) {
        SCOPED_TRACE(slot ? "with a slot" : "without a slot");
        CzSkinParser::fnGetPackage().fnRemoveAll();
        const std::wstring package = Package(
            "[Main]\n"
            "Canvas=POS:0,0,0,0;IMAGE:back.bmp,1;MASK:mask.bmp,1;\n" +
            std::string(slot ? "CanvasPanel=POS:20,20,120,80;ALIGN:0x100,0,100;\n" : "") + panel);
        CCommandCanvas* canvas = Show(package, L"Main");
        auto* embedded = static_cast<CzCanvasWnd*>(RUNTIME_CLASS(CzCanvasWnd)->CreateObject());
        ASSERT_TRUE(embedded->CreateEx(0, nullptr, L"panel", 0, 0, 0, 10, 10, canvas->GetSafeHwnd(), nullptr));
        EXPECT_NE(embedded->GetStyle() & WS_POPUP, 0u) << "a per-pixel parent makes it an owned popup";
        embedded->fnParseScript(package.c_str(), L"Panel");
        const CzLocation* record = embedded->fnGetPtrLocate(LOCATION_CANVAS, 0);
        ASSERT_EQ(record->m_refs.GetSize(), slot ? 2 : 1) << "the parent, and the slot's references";
        EXPECT_EQ(record->m_refs[0].m_pRef, canvas->fnGetPtrLocate(LOCATION_CANVAS, 0));
        EXPECT_EQ(canvas->fnGetDlgItem(static_cast<UINT>(-1)), embedded) << "found as item -1";
        const CPoint origin = Origin(*canvas);
        EXPECT_EQ(ScreenRect(embedded->GetSafeHwnd()).TopLeft(), CPoint(origin.x + 20, origin.y + 20));

        canvas->ShowWindow(SW_HIDE);
        canvas->ShowWindow(SW_SHOWNA);
        EXPECT_TRUE(embedded->IsWindowVisible()) << "STYLE 0x10000000: shown with its parent";
        canvas->SetWindowPos(nullptr, 0, 0, 440, 220, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        // The panel's own reference keeps it at the parent's bottom-right
        // corner; the slot's, which comes later, keeps it in place and grows
        // it with the parent's height instead.
        CRect expected = slot ? CRect(20, 20, 120, 100) : CRect(60, 40, 160, 100);
        expected.OffsetRect(origin.x, origin.y);
        EXPECT_EQ(ScreenRect(embedded->GetSafeHwnd()), expected);
        canvas->DestroyWindow();
    }
}

TEST_F(ControlsTest, APopupOfAChildCanvasIsKeptInStepByTheWindowThatHoldsIt) {
    const std::wstring package = Package(
        "[Host]\n"
        "Canvas=POS:0,0,0,0;IMAGE:back.bmp,1;ALPHA:255;\n"
        "[Child]\n"
        "Canvas=POS:10,10,0,0;IMAGE:panel.bmp,1;\n"
        "CtrlFloat=POS:5,5,60,25;ID:1401;CLASS:EDIT;STYLE:0x90000000;\n");
    CCommandCanvas* host = Show(package, L"Host");
    EXPECT_EQ(GetWindowLongPtrW(host->GetSafeHwnd(), GWLP_USERDATA), CANVAS_MARKER);
    auto* child = static_cast<CzCanvasWnd*>(RUNTIME_CLASS(CzCanvasWnd)->CreateObject());
    ASSERT_TRUE(child->CreateEx(0, nullptr, L"child", 0, 0, 0, 10, 10, host->GetSafeHwnd(), nullptr));
    EXPECT_NE(child->GetStyle() & WS_CHILD, 0u) << "a canvas painted normally holds true children";
    child->fnParseScript(package.c_str(), L"Child");
    CWnd* item = child->fnGetDlgItem(1401);
    ASSERT_NE(item, nullptr);
    HWND popup = item->GetSafeHwnd();
    EXPECT_EQ(GetWindow(popup, GW_OWNER), host->GetSafeHwnd()) << "a popup is owned by a top-level window";
    EXPECT_EQ(host->fnGetDlgItem(1401), item) << "attached to the host as well";
    EXPECT_FALSE(IsWindowVisible(popup)) << "a popup waits for its canvas to show";
    host->ShowWindow(SW_HIDE);
    host->ShowWindow(SW_SHOWNA);
    EXPECT_TRUE(IsWindowVisible(popup)) << "shown with the host";
    host->ShowWindow(SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(popup)) << "hidden with the host";
    host->DestroyWindow();
}

TEST(SkinLibraryTest, TheLibraryBringsItsVersionResourcesAndPlainNamedFunctions) {
    EXPECT_EQ(DllGetVersion(nullptr), E_FAIL);
    DLLVERSIONINFO version {sizeof(DLLVERSIONINFO), 0, 0, 0, 0};
    ASSERT_EQ(DllGetVersion(&version), S_OK);
    EXPECT_EQ(version.dwMajorVersion, 1u);
    EXPECT_EQ(version.dwMinorVersion, 2u);
    EXPECT_EQ(version.dwBuildNumber, 1u);
    EXPECT_EQ(version.dwPlatformID, 1u);

    HINSTANCE library = CzLibraryInstance();
    ASSERT_NE(library, nullptr);
    const DialogTemplate* blank = FindDialogTemplate(library, CANVAS_BLANK_TEMPLATE);
    ASSERT_NE(blank, nullptr);
    EXPECT_EQ(blank->rect.right, 187);
    EXPECT_EQ(blank->rect.bottom, 94);
    EXPECT_NE(LoadCursorW(library, MAKEINTRESOURCEW(CZ_CURSOR_LEFT_RIGHT)), nullptr);
    EXPECT_NE(LoadCursorW(library, MAKEINTRESOURCEW(CZ_CURSOR_UP_DOWN)), nullptr);
    EXPECT_NE(CZ_MSG_POPUP_PROCEDURE, 0u);
    EXPECT_NE(CZ_MSG_UPDATE_CONTROLS, 0u);
    EXPECT_NE(dlsym(RTLD_DEFAULT, "ZDDX_Control"), nullptr);
    EXPECT_NE(dlsym(RTLD_DEFAULT, "DllGetVersion"), nullptr);
}

}  // namespace
