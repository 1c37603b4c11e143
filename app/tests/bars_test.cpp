// The bars and the video area on a real canvas of the built skin (offscreen
// desktop): what the mouse does to them, what they post to their parent,
// and the pixels they put on the canvas.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "app_messages.h"
#include "media_bar.h"
#include "pictures.h"
#include "progress_bar.h"
#include "skin/canvas/canvas_wnd.h"
#include "ui/desktop.h"
#include "video_static.h"
#include "volume_bar.h"
#include "win/text.h"

namespace {

using namespace movanta::app;

class CTestCanvas : public CzCanvasWnd {
public:
    CTestCanvas() = default;
};

// A section of the built skin shown on a canvas, and its named places.
class Canvas {
public:
    explicit Canvas(const WCHAR* section) {
        window_ = new CTestCanvas;  // deletes itself with its window
        window_->CreateEx(0, nullptr, L"bars", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr);
        window_->fnParseScript(movanta::Utf8ToWide(SKIN_PACKAGE).c_str(), section);
        window_->ShowWindow(SW_SHOW);
    }
    ~Canvas() {
        window_->DestroyWindow();
        for (HBITMAP picture : pictures_) DeleteObject(picture);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    CWnd* Window() const { return window_; }
    CRect Place(const WCHAR* name) const {
        std::wstring value(window_->fnGetParser().fnGetCustomKey(name).Wide());
        WCHAR* p = value.data();
        CRect rect;
        if (CzSkinParser::fnIsTagPOS(p)) CzSkinParser::fnParseTag(p, rect);
        return rect;
    }
    HBITMAP Picture(const WCHAR* name) const {
        HBITMAP picture = window_->fnGetParser().fnLoadImage(window_->fnGetParser().fnGetCustomKey(name).Wide().c_str());
        pictures_.push_back(picture);
        return picture;
    }
    // The colour the canvas shows at a point of its client area.
    std::uint32_t Colour(int x, int y) const { return CompositionOf(window_->m_hWnd)->Read(x, y) & 0xFFFFFF; }
    // The values of `message` the canvas was posted, oldest first.
    std::vector<WPARAM> Posted(UINT message) const {
        std::vector<WPARAM> values;
        MSG msg {};
        while (PeekMessageW(&msg, window_->m_hWnd, message, message, PM_REMOVE)) values.push_back(msg.wParam);
        return values;
    }
private:
    CTestCanvas* window_;
    mutable std::vector<HBITMAP> pictures_;
};

void Click(CWnd& window, int x, int y) {
    window.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    window.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

class Bars : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ASSERT_TRUE(movanta::ui::StartDesktop());
    }
};

// Colours of the skin's bar pictures.
constexpr std::uint32_t kBody = 0x1B212B;
constexpr std::uint32_t kTrackRest = 0x3A4352;
constexpr std::uint32_t kTrackMarked = 0x3D8BFF;

TEST_F(Bars, TheMediaBarFollowsTheMouseAndShowsTheMarkedRange) {
    const Canvas canvas(L"MainFrm");
    const CRect place = canvas.Place(L"MediaBarPos");
    CMediaBar bar;
    bar.SetUp(canvas.Window(), {canvas.Picture(L"MediaBkg"), canvas.Picture(L"MediaBar"), canvas.Picture(L"MediaCur"),
                                canvas.Picture(L"MediaStart"), canvas.Picture(L"MediaEnd")});
    ASSERT_TRUE(bar.Create(nullptr, L"Media Bar", WS_CHILD | WS_VISIBLE, place, canvas.Window(), 0));
    const int middle = place.Width() / 2;
    const int trackRow = place.top + 17;

    // Disabled, as it starts: the empty track, no handle, no mouse.
    bar.SetMarks(20, 80);
    EXPECT_EQ(canvas.Colour(place.left + middle, trackRow), kTrackRest);
    EXPECT_EQ(canvas.Colour(place.left + middle, place.top + 4), kBody) << "no handle";
    Click(bar, middle, 15);
    EXPECT_TRUE(canvas.Posted(WM_MEDIABAR_POS).empty());

    bar.SetDisabled(false);
    EXPECT_EQ(canvas.Colour(place.left + middle + 40, trackRow), kTrackMarked) << "inside the marks";
    EXPECT_EQ(canvas.Colour(place.left + 40, trackRow), kTrackRest) << "before the start mark";
    EXPECT_NE(canvas.Colour(place.left + 10, place.top + 4), kBody) << "the handle at the start";

    Click(bar, 0, 15);
    Click(bar, place.Width() - 1, 15);
    Click(bar, middle, 15);
    EXPECT_EQ(canvas.Posted(WM_MEDIABAR_POS), (std::vector<WPARAM> {0, 100, 50}));
    EXPECT_EQ(bar.Position(), 50);
    EXPECT_NE(canvas.Colour(place.left + middle, place.top + 4), kBody) << "the handle where it was put";
    EXPECT_EQ(canvas.Colour(place.left + 10, place.top + 4), kBody);

    // A drag posts every move; one that is not draggable posts nothing.
    bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(middle, 15));
    bar.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(0, 15));
    bar.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(0, 15));
    EXPECT_EQ(canvas.Posted(WM_MEDIABAR_POS), (std::vector<WPARAM> {50, 0}));
    bar.SetDraggable(false);
    Click(bar, middle, 15);
    EXPECT_TRUE(canvas.Posted(WM_MEDIABAR_POS).empty());

    bar.SetPosition(30);
    bar.SetStartToPosition();
    EXPECT_EQ(bar.Start(), 30);
    bar.SetPosition(60);
    bar.SetEndToPosition();
    EXPECT_EQ(bar.End(), 60);
    bar.DestroyWindow();
}

TEST_F(Bars, TheVolumeBarRunsFromLoudAtTheTopToSilentAtTheBottom) {
    const Canvas canvas(L"MainFrm");
    CVolumeBar bar;
    bar.SetUp(canvas.Window(), canvas.Picture(L"VolBar"), canvas.Picture(L"VolInd"));
    ASSERT_TRUE(bar.Create(nullptr, L"Volume Bar", WS_CHILD | WS_VISIBLE, canvas.Place(L"VolBarPos"),
                           canvas.Window(), 0));
    Click(bar, 20, 60);
    EXPECT_TRUE(canvas.Posted(WM_VOLUMEBAR_POS).empty()) << "disabled";
    bar.SetDisabled(false);
    Click(bar, 20, 30);
    Click(bar, 20, 107);
    Click(bar, 20, 10);  // above the track, away from the handle
    EXPECT_EQ(canvas.Posted(WM_VOLUMEBAR_POS), (std::vector<WPARAM> {100, 0}));
    EXPECT_EQ(bar.Value(), 0);
    bar.SetValue(140);
    EXPECT_EQ(bar.Value(), 100);
    bar.DestroyWindow();
}

TEST_F(Bars, TheProgressBarFillsFromTheLeft) {
    const Canvas canvas(L"ProgressDlg");
    const CRect place = canvas.Place(L"ProgBarPos");
    CProgressBar bar;
    bar.SetUp(canvas.Window(), canvas.Picture(L"ProgBar"));
    ASSERT_TRUE(bar.Create(nullptr, L"Progress Bar", WS_CHILD | WS_VISIBLE, place, canvas.Window(), 0));
    const int row = place.top + place.Height() / 2;
    constexpr std::uint32_t kToDo = 0xDDE2EA;
    bar.SetPercent(0);
    EXPECT_EQ(canvas.Colour(place.left + 1, row), kToDo);
    EXPECT_EQ(canvas.Colour(place.right - 2, row), kToDo);
    bar.SetPercent(50);
    EXPECT_NE(canvas.Colour(place.left + 1, row), kToDo);
    EXPECT_EQ(canvas.Colour(place.right - 2, row), kToDo);
    bar.SetPercent(100);
    EXPECT_NE(canvas.Colour(place.left + 1, row), kToDo);
    EXPECT_NE(canvas.Colour(place.right - 2, row), kToDo);
    bar.DestroyWindow();
}

TEST_F(Bars, TheVideoAreaTellsTheRendererOfMovesAndDisplayChanges) {
    struct Forwarded {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<Forwarded> forwarded;
    CVideoStatic video([&forwarded](TrxMedia, HWND, UINT message, WPARAM wParam, LPARAM lParam) {
        forwarded.push_back({message, wParam, lParam});
    });
    const Canvas canvas(L"MainFrm");
    ASSERT_TRUE(video.Create(L"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 64, 48), canvas.Window(), 1001));
    forwarded.clear();
    WINDOWPOS position {};
    position.x = 12;
    position.y = 34;
    video.SendMessage(WM_WINDOWPOSCHANGING, 7, reinterpret_cast<LPARAM>(&position));
    video.SendMessage(WM_DISPLAYCHANGE, 24, MAKELPARAM(1024, 768));
    video.SendMessage(WM_TIMER, 1, 0);
    ASSERT_EQ(forwarded.size(), 2u);
    EXPECT_EQ(forwarded[0].message, static_cast<UINT>(WM_MOVE));
    EXPECT_EQ(forwarded[0].wParam, 7u);
    EXPECT_EQ(forwarded[0].lParam, (34 << 16) + 12);
    EXPECT_EQ(forwarded[1].message, static_cast<UINT>(WM_DISPLAYCHANGE));
    EXPECT_EQ(forwarded[1].lParam, MAKELPARAM(1024, 768));
    video.DestroyWindow();
}

}  // namespace
