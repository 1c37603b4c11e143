// The canvas's pure layout: the nine-grid stretch and the placing of items
// by their references.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "pictures.h"
#include "skin/canvas/location.h"
#include "skin/canvas/nine_grid.h"

namespace {

TEST(NineGrid, ColumnsAndRowsForEachTarget) {
    struct Case {
        CSize picture;
        CRect grid;
        CSize target;
        NineGridSpans expected;
    };
    const Case cases[] = {
        // The outer columns keep their width, the middle takes the rest.
        {{100, 60}, {10, 10, 89, 49}, {200, 60}, {{10, 180, 10}, {10, 40, 10}}},
        {{100, 60}, {10, 10, 89, 49}, {100, 60}, {{10, 80, 10}, {10, 40, 10}}},
        {{100, 60}, {10, 10, 89, 49}, {150, 90}, {{10, 130, 10}, {10, 70, 10}}},
        // A one-pixel middle stretched.
        {{40, 40}, {20, 20, 20, 20}, {100, 41}, {{20, 61, 19}, {20, 2, 19}}},
    };
    for (const Case& c : cases) {
        const NineGridSpans spans = NineGrid(c.picture, c.grid, c.target);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(spans.columns[i], c.expected.columns[i]) << "column " << i << " to " << c.target.cx;
            EXPECT_EQ(spans.rows[i], c.expected.rows[i]) << "row " << i << " to " << c.target.cy;
        }
        EXPECT_EQ(spans.columns[0] + spans.columns[1] + spans.columns[2], c.target.cx);
        EXPECT_EQ(spans.rows[0] + spans.rows[1] + spans.rows[2], c.target.cy);
    }
    EXPECT_EQ(CanvasGrid(CRect(), CSize(100, 60)), CRect(10, 6, 90, 54)) << "an empty GRID";
    EXPECT_EQ(CanvasGrid(CRect(), CSize(7, 9)), CRect(0, 0, 6, 8));
    EXPECT_EQ(CanvasGrid(CRect(1, 2, 3, 4), CSize(100, 60)), CRect(1, 2, 3, 4));
}

// A 32-bit picture whose pixel at (x, y) is x + 256 × y, with an alpha byte.
HBITMAP Numbered(int width, int height) {
    BITMAPINFO info {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP picture = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* pixels = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) pixels[y * width + x] = 0x80000000u | static_cast<std::uint32_t>(x + 256 * y);
    }
    return picture;
}

TEST(NineGrid, CornersStayAndEdgesStretchAlongTheirLength) {
    HBITMAP picture = Numbered(100, 60);
    HBITMAP wide = StretchNineGrid(picture, CRect(10, 10, 89, 49), CSize(200, 90));
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(PixelAt(wide, 0, 0), PixelAt(picture, 0, 0));
    EXPECT_EQ(PixelAt(wide, 9, 9), PixelAt(picture, 9, 9));
    EXPECT_EQ(PixelAt(wide, 199, 89), PixelAt(picture, 99, 59)) << "bottom-right corner";
    EXPECT_EQ(PixelAt(wide, 190, 0), PixelAt(picture, 90, 0)) << "the right column starts after the grid";
    EXPECT_EQ(PixelAt(wide, 100, 5), PixelAt(picture, 10 + 90 * 80 / 180, 5)) << "the top edge stretched";
    EXPECT_EQ(PixelAt(wide, 5, 50), PixelAt(picture, 5, 10 + 40 * 40 / 70)) << "the left edge stretched";
    EXPECT_EQ(PixelAt(wide, 150, 45) >> 24, 0x80u) << "alpha travels with the pixels";
    EXPECT_EQ(StretchNineGrid(picture, CRect(10, 10, 89, 49), CSize(15, 60)), nullptr) << "narrower than the corners";
    EXPECT_EQ(StretchNineGrid(nullptr, CRect(10, 10, 89, 49), CSize(200, 60)), nullptr);
    DeleteObject(wide);
    DeleteObject(picture);
}

CzLocation Item(int kind, CRect design, CRect current, bool resolved = true) {
    CzLocation item;
    item.m_kind = kind;
    item.m_design = design;
    item.m_current = current;
    item.m_resolved = resolved;
    return item;
}

TEST(Location, AnchorsAndGrowthFollowTheReference) {
    // A canvas designed 200 × 100, now 300 × 160.
    CzLocation canvas = Item(LOCATION_CANVAS, {0, 0, 200, 100}, {0, 0, 300, 160});
    struct Case {
        int flags;
        int dx;
        int dy;
        CRect expected;
    };
    const CRect design(150, 70, 190, 90);
    const Case cases[] = {
        {0x00, 0, 0, {150, 70, 190, 90}},                     // left and top: where designed
        {0x11, 0, 0, {250, 130, 290, 150}},                   // right and bottom: moved by the growth
        {0x22, 0, 0, {200, 100, 240, 120}},                   // centre: half the growth
        {0x200 | 0x100 | 0x00, 50, 25, {150, 70, 240, 105}},  // grown by 50 % and 25 % of the growth
        {0x200 | 0x01, 50, 0, {200, 70, 290, 90}},            // right anchor keeps the right edge's distance
        {0x200, 33, 0, {150, 70, 223, 90}},                   // 33 % of 100 = 33
        {0x200, 5, 0, {150, 70, 195, 90}},                    // 5 % of 100 = 5
        {0x33, 0, 0, {150, 70, 190, 90}},                     // no anchor: offsets stay 0
    };
    for (const Case& c : cases) {
        CzLocation item = Item(LOCATION_BUTTON, design, design, false);
        item.m_refs.Add(CzRefObj {&canvas, c.flags, c.dx, c.dy});
        item.Resolve();
        EXPECT_EQ(item.m_current, c.expected) << "flags 0x" << std::hex << c.flags;
        EXPECT_TRUE(item.m_resolved);
    }
}

TEST(Location, HalvesRoundAwayFromZeroAndLaterReferencesOverride) {
    CzLocation canvas = Item(LOCATION_CANVAS, {0, 0, 100, 100}, {0, 0, 101, 99});
    CzLocation item = Item(LOCATION_TEXT, {10, 10, 20, 20}, {10, 10, 20, 20}, false);
    item.m_refs.Add(CzRefObj {&canvas, 0x200 | 0x100, 50, 50});  // +0.5 → 1, −0.5 → −1
    item.Resolve();
    EXPECT_EQ(item.m_current, CRect(10, 10, 21, 19));

    // A second reference: an item that moved by (5, 7) and grew by 4 × 0.
    CzLocation moved = Item(LOCATION_BUTTON, {30, 30, 40, 40}, {35, 37, 49, 47});
    item.m_resolved = false;
    item.m_refs.Add(CzRefObj {&moved, 0x01, 0, 0});
    item.Resolve();
    EXPECT_EQ(item.m_current, CRect(10 + 5 + 4, 10 + 7, 20 + 5 + 4, 20 + 7)) << "the last usable reference decides";
}

TEST(Location, UnresolvedReferencesBeforeArePlacedFirstOthersAreSkipped) {
    CzLocation canvas = Item(LOCATION_CANVAS, {0, 0, 100, 100}, {0, 0, 140, 100});
    CzLocation left = Item(LOCATION_BUTTON, {0, 0, 20, 20}, {0, 0, 20, 20}, false);
    left.m_refs.Add(CzRefObj {&canvas, 0x01, 0, 0});
    CzLocation follower = Item(LOCATION_BUTTON, {30, 0, 50, 20}, {30, 0, 50, 20}, false);
    follower.m_refs.Add(CzRefObj {&left, 0x00, 0, 0});
    follower.Resolve();
    EXPECT_TRUE(left.m_resolved) << "it lies left of the follower";
    EXPECT_EQ(follower.m_current.left, 70);

    CzLocation after = Item(LOCATION_BUTTON, {60, 0, 80, 20}, {60, 0, 80, 20}, false);
    CzLocation early = Item(LOCATION_BUTTON, {0, 0, 20, 20}, {0, 0, 20, 20}, false);
    early.m_refs.Add(CzRefObj {&after, 0x00, 0, 0});
    early.Resolve();
    EXPECT_FALSE(after.m_resolved) << "a reference that lies after is skipped";
    EXPECT_EQ(early.m_current, CRect(0, 0, 20, 20));

    // References that go round in a circle end.
    CzLocation a = Item(LOCATION_TEXT, {0, 0, 0, 0}, {0, 0, 0, 0}, false);
    CzLocation b = Item(LOCATION_TEXT, {0, 0, 0, 0}, {0, 0, 0, 0}, false);
    a.m_refs.Add(CzRefObj {&b, 0, 0, 0});
    b.m_refs.Add(CzRefObj {&a, 0, 0, 0});
    a.Resolve();
    EXPECT_TRUE(a.m_resolved);
}

TEST(Location, SplittersTieEdges) {
    // A vertical bar designed at x 100..104, now at 120..124.
    CzLocation splitter = Item(LOCATION_SPLITTER, {100, 0, 104, 200}, {120, 0, 124, 200});
    CzLocation leftPane = Item(LOCATION_CONTROL, {0, 0, 90, 200}, {0, 0, 90, 200}, false);
    leftPane.m_refs.Add(CzRefObj {&splitter, 0x200 | 0x00, 0, 0});
    leftPane.Resolve();
    EXPECT_EQ(leftPane.m_current.right, 120);
    EXPECT_EQ(leftPane.m_design.right, 100);
    EXPECT_EQ(leftPane.m_widthGrowth, 10);
    CzLocation rightPane = Item(LOCATION_CONTROL, {110, 0, 200, 200}, {110, 0, 200, 200}, false);
    rightPane.m_refs.Add(CzRefObj {&splitter, 0x200 | 0x01, 0, 0});
    rightPane.Resolve();
    EXPECT_EQ(rightPane.m_current.left, 124);
    EXPECT_EQ(rightPane.m_leftShift, -6);

    CzLocation bar = Item(LOCATION_SPLITTER, {0, 50, 200, 54}, {0, 60, 200, 64});
    CzLocation top = Item(LOCATION_CONTROL, {0, 0, 200, 45}, {0, 0, 200, 45}, false);
    top.m_refs.Add(CzRefObj {&bar, 0x100 | 0x00, 0, 0});
    top.Resolve();
    EXPECT_EQ(top.m_current.bottom, 60);
    CzLocation bottom = Item(LOCATION_CONTROL, {0, 58, 200, 100}, {0, 58, 200, 100}, false);
    bottom.m_refs.Add(CzRefObj {&bar, 0x100 | 0x10, 0, 0});
    bottom.Resolve();
    EXPECT_EQ(bottom.m_current.top, 64);
}

}  // namespace
