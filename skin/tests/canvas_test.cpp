// Canvas windows without a screen: registration, presentation through
// layered pictures or constant alpha, fitting and sizing limits, and the
// hit-test answers that move and size them.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "gdi/gdi_objects.h"
#include "gdi/metrics.h"
#include "gdi/window_drawing.h"
#include "pictures.h"
#include "skin/buttons/action_relay.h"
#include "skin/canvas/canvas_dlg.h"
#include "skin/canvas/canvas_registry.h"
#include "skin/canvas/canvas_wnd.h"
#include "ui/controls.h"
#include "win/window_backend.h"
#include "win/window_surface.h"

namespace {

// A mask opaque inside a 10-pixel margin, half transparent on it.
HBITMAP MarginMask(int width, int height) {
    HBITMAP mask = FilledPicture(width, height, 8, 128);
    DIBSECTION section {};
    GetObjectW(mask, sizeof(section), &section);
    auto* bits = static_cast<std::uint8_t*>(section.dsBm.bmBits);
    for (int y = 10; y < height - 10; ++y) std::memset(bits + y * section.dsBm.bmWidthBytes + 10, 255, width - 20);
    return mask;
}

class CanvasTest : public ::testing::Test {
protected:
    static CzCanvasWnd* MakeWindow() {
        auto* window = static_cast<CzCanvasWnd*>(RUNTIME_CLASS(CzCanvasWnd)->CreateObject());
        EXPECT_TRUE(window->CreateEx(0, nullptr, L"canvas", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
        return window;
    }
    void TearDown() override { EXPECT_EQ(CzCanvasRegistry::Count(), 0) << "every record went with its window"; }
};

TEST_F(CanvasTest, APerPixelCanvasPresentsItsCompositionAsALayeredPicture) {
    CzCanvasWnd* window = MakeWindow();
    EXPECT_EQ(window->GetStyle() & (WS_POPUP | WS_CLIPCHILDREN), WS_POPUP | WS_CLIPCHILDREN);
    EXPECT_NE(window->GetExStyle() & WS_EX_LAYERED, 0u) << "registration makes it layered";
    HBITMAP image = FilledPicture(120, 80, 24, 200);
    HBITMAP mask = MarginMask(120, 80);
    CArray<CzRefObj> refs;
    window->fnSetLocation(CRect(30, 40, 30, 40), refs);
    ASSERT_TRUE(window->fnSetCanvas(image, mask, 0, CRect(), true));
    window->fnSetAlpha(255, true);
    CRect rect;
    window->GetWindowRect(&rect);
    EXPECT_EQ(rect.Size(), CSize(120, 80));
    EXPECT_TRUE(movanta::win::LayeringOf(window->GetSafeHwnd()).perPixel);
    const movanta::gdi::Bitmap* shown = movanta::gdi::SurfaceOf(window->GetSafeHwnd());
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->Read(60, 40), 0xFFC8C8C8u) << "opaque inside";
    EXPECT_EQ(shown->Read(2, 2), 0x80646464u) << "premultiplied at half opacity on the margin";
    EXPECT_EQ(GetWindowLongPtrW(window->GetSafeHwnd(), GWLP_USERDATA), 0) << "no marker on a per-pixel canvas";
    window->DestroyWindow();  // the frame deletes itself
    DeleteObject(mask);
    DeleteObject(image);
}

TEST_F(CanvasTest, AConstantAlphaCanvasCarriesTheMarkerAndPaintsNormally) {
    CzCanvasWnd* window = MakeWindow();
    HBITMAP image = FilledPicture(60, 40, 24, 90);
    CArray<CzRefObj> refs;
    window->fnSetLocation(CRect(0, 0, 0, 0), refs);
    ASSERT_TRUE(window->fnSetCanvas(image, nullptr, 0, CRect(), false));
    window->fnSetAlpha(200, true);
    EXPECT_EQ(GetWindowLongPtrW(window->GetSafeHwnd(), GWLP_USERDATA), CANVAS_MARKER);
    const movanta::win::Layering layering = movanta::win::LayeringOf(window->GetSafeHwnd());
    EXPECT_FALSE(layering.perPixel);
    EXPECT_EQ(layering.alpha, 200);
    window->ShowWindow(SW_SHOWNA);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    const movanta::gdi::Bitmap* shown = movanta::gdi::SurfaceOf(window->GetSafeHwnd());
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->Read(30, 20) & 0xFFFFFF, 0x5A5A5Au) << "erasing the background drew the composition";

    // A canvas made on it is a true child window.
    auto* child = static_cast<CzCanvasWnd*>(RUNTIME_CLASS(CzCanvasWnd)->CreateObject());
    ASSERT_TRUE(child->CreateEx(0, nullptr, L"child", 0, 0, 0, 10, 10, window->GetSafeHwnd(), nullptr));
    EXPECT_NE(child->GetStyle() & WS_CHILD, 0u);
    window->DestroyWindow();
    DeleteObject(image);
}

TEST_F(CanvasTest, AResizableCanvasKeepsToItsPictureAndMaximisesItsOpaquePart) {
    CzCanvasWnd* window = MakeWindow();
    HBITMAP image = FilledPicture(100, 60, 24, 50);
    HBITMAP mask = MarginMask(100, 60);
    CArray<CzRefObj> refs;
    window->fnSetLocation(CRect(0, 0, 0, 0), refs);
    window->ModifyStyle(0, WS_THICKFRAME);
    ASSERT_TRUE(window->fnSetCanvas(image, mask, CANVAS_RESIZABLE, CRect(), false));
    MINMAXINFO info {};
    window->SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 100);
    EXPECT_EQ(info.ptMinTrackSize.y, 60);
    RECT work {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(info.ptMaxSize.x, work.right - work.left + 20) << "the opaque part fills the work area";
    EXPECT_EQ(info.ptMaxSize.y, work.bottom - work.top + 20);
    EXPECT_EQ(info.ptMaxPosition.x, -10);

    window->SetWindowPos(nullptr, 0, 0, 40, 30, SWP_NOMOVE | SWP_NOZORDER);
    CzCanvasRecord* record = CzCanvasRegistry::Find(window->GetSafeHwnd());
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->m_current.Size(), CSize(100, 60)) << "never smaller than its picture";
    window->SetWindowPos(nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(record->m_current.Size(), CSize(300, 200));
    EXPECT_EQ(record->m_opaque, CRect(10, 10, 290, 190));

    // Within 10 pixels of the opaque box the answers size the window; a
    // press elsewhere drags it; without a press it is client area.
    HWND handle = window->GetSafeHwnd();
    const auto hit = [&](int x, int y) { return SendMessageW(handle, WM_NCHITTEST, 0, MAKELPARAM(x, y)); };
    EXPECT_EQ(hit(150, 100), HTCLIENT);
    EXPECT_EQ(hit(12, 12), HTTOPLEFT);
    EXPECT_EQ(hit(287, 12), HTTOPRIGHT);
    EXPECT_EQ(hit(287, 187), HTBOTTOMRIGHT);
    EXPECT_EQ(hit(12, 187), HTBOTTOMLEFT);
    EXPECT_EQ(hit(15, 100), HTLEFT);
    EXPECT_EQ(hit(150, 15), HTTOP);
    EXPECT_EQ(hit(285, 100), HTRIGHT);
    EXPECT_EQ(hit(150, 185), HTBOTTOM);
    window->ShowWindow(SW_SHOWNA);
    movanta::win::DeliverMouse(handle, WM_LBUTTONDOWN, {150, 100}, MK_LBUTTON);
    EXPECT_EQ(hit(150, 100), HTCAPTION) << "the button is down";
    window->fnShowWindow(SW_MAXIMIZE);
    EXPECT_EQ(hit(150, 100), HTCLIENT) << "a maximised canvas does not move";
    movanta::win::DeliverMouse(handle, WM_LBUTTONUP, {150, 100}, 0);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    window->DestroyWindow();
    DeleteObject(mask);
    DeleteObject(image);
}

TEST_F(CanvasTest, CanvasDialogsUseTheBlankTemplateAndRegister) {
    class CQuick : public CzCanvasDlg {
    public:
        CQuick() : CzCanvasDlg(nullptr, 0) {}
        int registered = -1;
        BOOL OnInitDialog() override {
            const BOOL result = CzCanvasDlg::OnInitDialog();
            registered = CzCanvasRegistry::Count();
            PostMessage(WM_COMMAND, IDOK);
            return result;
        }
    };
    CQuick dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.registered, 1);
    bool thrown = false;
    try {
        CzCanvasDlg missing(nullptr, 4321);
    } catch (CResourceException* error) {
        thrown = true;
        error->Delete();
    }
    EXPECT_TRUE(thrown) << "a template that does not exist";
}

}  // namespace

namespace {

class CTextCanvas : public CzCanvasWnd {
public:
    LPCWSTR fnAcquireString(int id) override { return id == 7 ? L"Movanta" : nullptr; }
};

std::uint32_t CompositionPixel(HWND window, int x, int y) {
    return CompositionOf(window)->Read(x, y);
}

TEST_F(CanvasTest, StaticsDrawTextsPicturesAndIconsIntoTheComposition) {
    auto* window = new CTextCanvas;
    ASSERT_TRUE(window->CreateEx(0, nullptr, L"statics", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
    HBITMAP image = FilledPicture(200, 100, 32, 0x00);
    CArray<CzRefObj> refs;
    window->fnSetLocation(CRect(0, 0, 0, 0), refs);
    ASSERT_TRUE(window->fnSetCanvas(image, nullptr, 0, CRect(), false));
    HWND handle = window->GetSafeHwnd();

    window->fnAddStatic(LOCATION_TEXT, CRect(10, 10, 190, 40), refs, 7, nullptr, DT_SINGLELINE, 0, RGB(255, 255, 255));
    int ink = 0;
    for (int y = 10; y < 40; ++y) {
        for (int x = 10; x < 190; ++x) ink += (CompositionPixel(handle, x, y) & 0xFF) > 0x80;
    }
    EXPECT_GT(ink, 20) << "the text the canvas supplied";

    window->fnAddStatic(LOCATION_IMAGE, CRect(0, 60, 20, 80), refs, 8, FilledPicture(20, 20, 24, 0x77), 0, 0, 0);
    EXPECT_EQ(CompositionPixel(handle, 5, 65), 0xFF777777u);
    EXPECT_EQ(window->fnGetPtrLocate(LOCATION_IMAGE, 8), window->fnGetPtrLocate(LOCATION_IMAGE, 8));
    EXPECT_NE(window->fnGetPtrLocate(LOCATION_IMAGE, 8), nullptr);
    EXPECT_EQ(window->fnGetPtrLocate(LOCATION_TEXT, 8), nullptr) << "of another kind";

    EXPECT_TRUE(window->fnEnableStatic(8, FALSE, true));
    EXPECT_EQ(CompositionPixel(handle, 5, 65), 0xFF777777u) << "disabling changes no pixel";
    EXPECT_TRUE(window->fnShowStatic(8, FALSE, true));
    EXPECT_EQ(CompositionPixel(handle, 5, 65), 0u) << "hiding clears it to the background";
    EXPECT_FALSE(window->fnDrawStatic(8, true)) << "an invisible static is not drawn";
    EXPECT_EQ(window->fnSetStaticColor(7, RGB(1, 2, 3)), RGB(255, 255, 255));
    EXPECT_EQ(window->fnGetStaticPos(7), CRect(10, 10, 190, 40));
    window->DestroyWindow();
    DeleteObject(image);
}

}  // namespace

namespace {

TEST_F(CanvasTest, TheRelayReachesEitherCanvasClassAndNothingElse) {
    CTextCanvas* window = new CTextCanvas;
    ASSERT_TRUE(window->CreateEx(0, nullptr, L"relay", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
    CzFActionRelay relay(window);
    EXPECT_EQ(relay.fnGetWnd(), window);
    EXPECT_STREQ(relay.fnAcquireString(7), L"Movanta") << "the subclass's override";
    HBITMAP image = FilledPicture(30, 20, 24, 9);
    CArray<CzRefObj> refs;
    relay.fnSetLocation(CRect(0, 0, 0, 0), refs);
    EXPECT_TRUE(relay.fnSetCanvas(image, nullptr, 0, CRect(), false));
    EXPECT_EQ(relay.fnGetPtrLocate(LOCATION_CANVAS, 0), CzCanvasRegistry::Find(window->GetSafeHwnd()));

    CWnd plain;
    ASSERT_TRUE(plain.CreateEx(0, nullptr, L"plain", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr));
    CzFActionRelay none(&plain);
    EXPECT_EQ(none.fnGetWnd(), nullptr);
    EXPECT_FALSE(none.fnSetAlpha(10, true));
    EXPECT_EQ(none.fnGetPtrLocate(LOCATION_CANVAS, 0), nullptr);
    EXPECT_EQ(none.fnGetStaticPos(1), CRect());
    plain.DestroyWindow();
    window->DestroyWindow();
    DeleteObject(image);
}

}  // namespace

namespace {

TEST_F(CanvasTest, TheRegisteredMessagesAreAnswered) {
    EXPECT_EQ(CZ_MSG_POPUP_PROCEDURE, RegisterWindowMessageW(L"29055c4e-daa9-496a-ac6f-a524131e9f9d"));
    EXPECT_NE(CZ_MSG_UPDATE_CONTROLS, CZ_MSG_POPUP_PROCEDURE);
    CzCanvasWnd* window = MakeWindow();
    WNDPROC previous = reinterpret_cast<WNDPROC>(&previous);
    window->SendMessage(CZ_MSG_POPUP_PROCEDURE, reinterpret_cast<WPARAM>(window->GetSafeHwnd()),
                        reinterpret_cast<LPARAM>(&previous));
    EXPECT_EQ(previous, nullptr) << "a window the canvas does not know";
    EXPECT_EQ(window->SendMessage(CZ_MSG_UPDATE_CONTROLS), 0);
    window->DestroyWindow();
}

}  // namespace
