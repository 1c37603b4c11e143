// The canvas's drawing rules: the frame a button state shows, where a text
// goes, the soft halo and the canvas picture with its mask.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "pictures.h"
#include "skin/buttons/button_face.h"
#include "skin/canvas/canvas_picture.h"
#include "skin/canvas/canvas_record.h"
#include "skin/canvas/text_placement.h"

namespace {

TEST(ButtonFaces, EveryStateOfTwoThreeAndFourFrameStrips) {
    struct Case {
        DWORD state;
        int frames[5];  // for strips of 1, 2, 3, 4 and 5 frames
    };
    const Case cases[] = {
        {0, {0, 0, 0, 0, 0}},
        {BUTTON_DOWN, {0, 1, 1, 1, 1}},
        {BUTTON_HOVER, {0, 0, 2, 2, 2}},  // never hover on two frames
        {BUTTON_DOWN | BUTTON_HOVER, {0, 1, 1, 1, 1}},
        {BUTTON_DISABLED, {0, 0, 0, 3, 3}},
        {BUTTON_DISABLED | BUTTON_DOWN, {0, 0, 0, 3, 3}},
        {BUTTON_HIDDEN, {-1, -1, -1, -1, -1}},
        {BUTTON_HIDDEN | BUTTON_DOWN, {-1, -1, -1, -1, -1}},
    };
    for (const Case& c : cases) {
        for (int count = 1; count <= 5; ++count) {
            EXPECT_EQ(ButtonFrame(c.state, count), c.frames[count - 1])
                << "state 0x" << std::hex << c.state << std::dec << ", " << count << " frames";
        }
    }
}

TEST(TextPlacement, TheMeasuredBoxByFormat) {
    const CRect rect(10, 20, 110, 60);  // 100 × 40
    const CSize text(30, 12);
    struct Case {
        UINT format;
        bool soft;
        CRect expected;
    };
    const Case cases[] = {
        {0x0, false, {10, 20, 40, 32}},   // left, top
        {0x1, false, {45, 20, 75, 32}},   // centre
        {0x2, false, {80, 20, 110, 32}},  // right
        {0x4, false, {10, 34, 40, 46}},   // vertical centre
        {0x8, false, {10, 48, 40, 60}},   // bottom
        {0x1 | 0x4, false, {45, 34, 75, 46}},
        // Soft: a pixel more on every side, moved towards the side kept to,
        // clipped to the rectangle.
        {0x0, true, {10, 20, 40, 32}},
        {0x1 | 0x4, true, {44, 33, 76, 47}},
        {0x2 | 0x8, true, {80, 48, 110, 60}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PlaceTextBox(text, rect, c.format, c.soft), c.expected)
            << "format 0x" << std::hex << c.format << (c.soft ? " soft" : "");
    }
}

TEST(TextPlacement, TheSoftHaloSpreadsAPixelToItsNeighbours) {
    // 4 × 3 pixels of 32 bits, one white pixel at (1, 1) with alpha 7.
    std::vector<std::uint8_t> pixels(4 * 3 * 4, 0);
    for (int channel = 0; channel < 3; ++channel) pixels[(1 * 4 + 1) * 4 + channel] = 255;
    pixels[(1 * 4 + 1) * 4 + 3] = 7;
    SoftenPixels(pixels.data(), 4, 3, 16, 4);
    const auto blue = [&](int x, int y) { return pixels[static_cast<size_t>((y * 4 + x) * 4)]; };
    EXPECT_EQ(blue(1, 1), 2 * 255 / 9) << "itself, twice";
    EXPECT_EQ(blue(0, 1), 255 / 9) << "from the right neighbour";
    EXPECT_EQ(blue(1, 0), 2 * 255 / 9) << "from below";
    EXPECT_EQ(blue(0, 0), 255 / 9) << "from below-right";
    EXPECT_EQ(blue(2, 1), 0) << "nothing spreads to the right";
    EXPECT_EQ(pixels[(1 * 4 + 1) * 4 + 3], 7) << "alpha stays";
}

TEST(CanvasPictures, TheMaskGivesAlphaAndTheOpaqueBox) {
    HBITMAP image = FilledPicture(20, 10, 24, 0x40);
    HBITMAP mask = FilledPicture(20, 10, 8, 0);
    DIBSECTION section {};
    GetObjectW(mask, sizeof(section), &section);
    auto* maskBits = static_cast<std::uint8_t*>(section.dsBm.bmBits);
    for (int y = 2; y < 6; ++y) {
        for (int x = 3; x < 15; ++x) maskBits[y * section.dsBm.bmWidthBytes + x] = 255;
    }
    maskBits[8 * section.dsBm.bmWidthBytes + 18] = 254;  // almost opaque: outside the box
    const CanvasPicture canvas = BuildCanvasPicture(image, mask);
    ASSERT_NE(canvas.picture, nullptr);
    EXPECT_TRUE(canvas.perPixel);
    EXPECT_EQ(canvas.opaque, CRect(3, 2, 15, 6));
    GetObjectW(canvas.picture, sizeof(section), &section);
    EXPECT_EQ(section.dsBm.bmBitsPixel, 32);
    const auto* pixels = static_cast<const std::uint32_t*>(section.dsBm.bmBits);
    EXPECT_EQ(pixels[2 * 20 + 3], 0xFF404040u);
    EXPECT_EQ(pixels[8 * 20 + 18], 0xFE404040u) << "colours unchanged, alpha from the mask";
    EXPECT_EQ(pixels[0], 0x00404040u);
    DeleteObject(canvas.picture);

    const CanvasPicture plain = BuildCanvasPicture(image, nullptr);
    EXPECT_FALSE(plain.perPixel);
    EXPECT_EQ(plain.opaque, CRect(0, 0, 20, 10)) << "the whole picture";
    GetObjectW(plain.picture, sizeof(section), &section);
    EXPECT_EQ(section.dsBm.bmBitsPixel, 24) << "the image's own format";
    DeleteObject(plain.picture);

    HBITMAP small = FilledPicture(10, 10, 8, 255);
    EXPECT_EQ(BuildCanvasPicture(image, small).picture, nullptr) << "a mask of another size";
    DeleteObject(small);
    DeleteObject(mask);
    DeleteObject(image);
}

}  // namespace

namespace {

TEST(CanvasRecords, FittingStretchesTheBackgroundAndGrowsTheOpaqueBox) {
    HBITMAP image = FilledPicture(100, 60, 24, 0x20);
    HBITMAP mask = FilledPicture(100, 60, 8, 255);
    CzCanvasRecord canvas;
    canvas.m_design = CRect(5, 7, 5, 7);
    EXPECT_FALSE(canvas.Fit(CSize(10, 10), false)) << "no picture yet";
    ASSERT_TRUE(canvas.SetPicture(image, mask, 0x2, CRect()));
    EXPECT_EQ(canvas.m_design, CRect(5, 7, 105, 67)) << "the origin stays, the size is the picture's";
    EXPECT_EQ(canvas.m_grid, CRect(10, 6, 90, 54));
    EXPECT_TRUE(canvas.m_perPixel);
    EXPECT_EQ(canvas.m_opaque, CRect(0, 0, 100, 60));

    ASSERT_TRUE(canvas.Fit(CSize(200, 80), true));
    EXPECT_EQ(canvas.m_current.Size(), CSize(200, 80));
    EXPECT_EQ(canvas.m_opaque, CRect(0, 0, 200, 80)) << "grown by the size difference";
    ASSERT_TRUE(canvas.Fit(CSize(50, 40), true));
    EXPECT_EQ(canvas.m_current.Size(), CSize(100, 60)) << "a resizable canvas is never smaller than its picture";
    EXPECT_EQ(canvas.m_background, canvas.m_picture) << "at the picture's size the picture is the background";

    // Drawing and clearing the composition.
    HBITMAP stamp = FilledPicture(4, 4, 24, 0x90);
    EXPECT_TRUE(canvas.DrawBitmap(CRect(10, 10, 14, 14), stamp, 0, 0));
    EXPECT_EQ(PixelAt(canvas.m_composition, 11, 11), 0xFF909090u) << "opaque where a picture without alpha lands";
    EXPECT_EQ(PixelAt(canvas.m_composition, 14, 14), 0xFF202020u);
    const CRect none(3, 3, 3, 9);
    EXPECT_TRUE(canvas.Clear(&none)) << "an empty rectangle does nothing and succeeds";
    EXPECT_EQ(PixelAt(canvas.m_composition, 11, 11), 0xFF909090u);
    EXPECT_TRUE(canvas.Clear(nullptr));
    EXPECT_EQ(PixelAt(canvas.m_composition, 11, 11), 0xFF202020u);
    canvas.ReleaseComposition();
    EXPECT_FALSE(canvas.DrawBitmap(CRect(0, 0, 4, 4), stamp, 0, 0)) << "no composition";
    DeleteObject(stamp);
    DeleteObject(mask);
    DeleteObject(image);
}

}  // namespace

namespace {

TEST(CanvasRecords, TextsLandInTheirBoxOverTheBackgroundWithAHaloWhenSoft) {
    HBITMAP image = FilledPicture(120, 40, 32, 0x00);  // black and clear
    CzCanvasRecord canvas;
    ASSERT_TRUE(canvas.SetPicture(image, nullptr, 0, CRect()));
    ASSERT_TRUE(canvas.Fit(CSize(120, 40), false));
    const auto lit = [&](const CRect& area) {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) count += (PixelAt(canvas.m_composition, x, y) & 0xFF) > 0x40;
        }
        return count;
    };
    // Right-aligned white text: ink at the right end only.
    ASSERT_TRUE(canvas.DrawText(L"MM", CRect(0, 0, 120, 40), DT_RIGHT | DT_SINGLELINE, RGB(255, 255, 255), nullptr,
                                false, nullptr));
    EXPECT_GT(lit(CRect(90, 0, 120, 40)), 10);
    EXPECT_EQ(lit(CRect(0, 0, 80, 40)), 0);
    EXPECT_EQ(PixelAt(canvas.m_composition, 119, 0) >> 24, 0xFFu) << "the text's box turns opaque";
    EXPECT_EQ(PixelAt(canvas.m_composition, 0, 39) >> 24, 0u);
    EXPECT_TRUE(canvas.DrawText(nullptr, CRect(0, 0, 120, 40), 0, 0, nullptr, false, nullptr)) << "null: nothing";
    EXPECT_TRUE(canvas.Clear(nullptr));

    // The halo spreads the ink: more pixels touched than without it.
    canvas.DrawText(L"Movanta", CRect(0, 0, 120, 40), 0, RGB(255, 255, 255), nullptr, false, nullptr);
    int hard = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 120; ++x) hard += (PixelAt(canvas.m_composition, x, y) & 0xFF) > 0;
    }
    canvas.Clear(nullptr);
    canvas.DrawText(L"Movanta", CRect(0, 0, 120, 40), 0, RGB(255, 255, 255), nullptr, true, nullptr);
    int halo = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 120; ++x) halo += (PixelAt(canvas.m_composition, x, y) & 0xFF) > 0;
    }
    EXPECT_GT(halo, hard);

    // A soft text flush with its rectangle keeps every column of its ink:
    // the glyphs' strong pixels are where they are without the halo.
    const auto strong = [&]() {
        std::vector<int> columns(120, 0);
        for (int x = 0; x < 120; ++x) {
            for (int y = 0; y < 40; ++y) columns[x] += (PixelAt(canvas.m_composition, x, y) & 0xFF) > 0xC0;
        }
        return columns;
    };
    for (const UINT format : {UINT {DT_RIGHT | DT_SINGLELINE}, UINT {DT_LEFT | DT_SINGLELINE}}) {
        canvas.Clear(nullptr);
        canvas.DrawText(L"00:00", CRect(0, 0, 120, 40), format, RGB(255, 255, 255), nullptr, false, nullptr);
        const std::vector<int> hardColumns = strong();
        canvas.Clear(nullptr);
        canvas.DrawText(L"00:00", CRect(0, 0, 120, 40), format, RGB(255, 255, 255), nullptr, true, nullptr);
        const std::vector<int> softColumns = strong();
        for (int x = 0; x < 120; ++x) {
            EXPECT_GE(softColumns[x], hardColumns[x]) << "column " << x << ", format 0x" << std::hex << format;
        }
    }
    DeleteObject(image);
}

}  // namespace
