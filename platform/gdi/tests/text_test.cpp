// Fonts and DrawTextW on the offscreen font engine: heights by their sign,
// the box DT_CALCRECT measures, where each alignment puts the ink, word
// breaks, prefixes, ellipses and smoothing.
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>

#include "gdi/metrics.h"
#include "gdi/wingdi.h"

namespace {

// A white 32-bit picture with a device context and a font selected.
class TextTest : public ::testing::Test {
protected:
    void SetUp() override {
        BITMAPINFO info {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        dc_ = CreateCompatibleDC(nullptr);
        SelectObject(dc_, bitmap_);
        UseFont(-20, ANTIALIASED_QUALITY);
        SetBkMode(dc_, TRANSPARENT);
        Clear();
    }
    void TearDown() override {
        DeleteDC(dc_);
        DeleteObject(bitmap_);
        DeleteObject(font_);
    }
    void UseFont(LONG height, BYTE quality) {
        LOGFONTW logFont {};
        logFont.lfHeight = height;
        logFont.lfWeight = FW_NORMAL;
        logFont.lfQuality = quality;
        std::wcscpy(logFont.lfFaceName, L"DejaVu Sans");
        HFONT font = CreateFontIndirectW(&logFont);
        SelectObject(dc_, font);
        if (font_ != nullptr) DeleteObject(font_);
        font_ = font;
    }
    void Clear() { std::memset(bits_, 0xFF, kWidth * kHeight * 4); }
    std::uint32_t At(int x, int y) const { return static_cast<const std::uint32_t*>(bits_)[y * kWidth + x] & 0xFFFFFF; }
    // The box of the pixels that are not white.
    RECT Ink() const {
        RECT ink {kWidth, kHeight, -1, -1};
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                if (At(x, y) == 0xFFFFFF) continue;
                ink = {std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y), std::max<LONG>(ink.right, x + 1),
                       std::max<LONG>(ink.bottom, y + 1)};
            }
        }
        return ink;
    }
    RECT Measure(const wchar_t* text, UINT format, LONG width = 1000) {
        RECT box {10, 10, 10 + width, 10};
        DrawTextW(dc_, text, -1, &box, format | DT_CALCRECT);
        return box;
    }

    static constexpr int kWidth = 240;
    static constexpr int kHeight = 120;
    void* bits_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HDC dc_ = nullptr;
    HFONT font_ = nullptr;
};

TEST_F(TextTest, HeightsByTheirSignAndTheMeasuredBox) {
    const RECT line = Measure(L"Movanta", DT_SINGLELINE);
    const LONG lineHeight = line.bottom - line.top;
    EXPECT_GT(lineHeight, 20) << "a negative height is the characters', the line is taller";
    EXPECT_LT(lineHeight, 30);
    EXPECT_GT(line.right - line.left, 40);
    UseFont(20, ANTIALIASED_QUALITY);
    const RECT cell = Measure(L"Movanta", DT_SINGLELINE);
    EXPECT_LE(cell.bottom - cell.top, 20) << "a positive height is the cell's";
    EXPECT_GE(cell.bottom - cell.top, 17);

    // Word breaks fill lines up to the width; the box narrows to the widest.
    UseFont(-20, ANTIALIASED_QUALITY);
    const RECT wrapped = Measure(L"one two three four five", DT_WORDBREAK, 90);
    EXPECT_GE((wrapped.bottom - wrapped.top) / lineHeight, 3);
    EXPECT_EQ((wrapped.bottom - wrapped.top) % lineHeight, 0);
    EXPECT_LE(wrapped.right - wrapped.left, 90);
    EXPECT_EQ(Measure(L"a\nb\nc", 0).bottom - 10, 3 * lineHeight) << "line feeds break lines";
    EXPECT_EQ(Measure(L"a\nb", DT_SINGLELINE).bottom - 10, lineHeight);

    // "&" marks the next character unless DT_NOPREFIX.
    EXPECT_EQ(Measure(L"&File", DT_SINGLELINE).right, Measure(L"File", DT_SINGLELINE).right);
    EXPECT_GT(Measure(L"&File", DT_SINGLELINE | DT_NOPREFIX).right, Measure(L"File", DT_SINGLELINE).right);
    EXPECT_EQ(Measure(L"A&&B", DT_SINGLELINE).right, Measure(L"A&B", DT_SINGLELINE | DT_NOPREFIX).right);
    // An ellipsis keeps a long line within the width.
    EXPECT_LE(Measure(L"a rather long line of text for a small box", DT_SINGLELINE | DT_END_ELLIPSIS, 80).right, 90);
}

TEST_F(TextTest, EachAlignmentPutsTheInkWhereTheFlagsSay) {
    RECT box {20, 10, 220, 110};
    const auto draw = [&](UINT format) {
        Clear();
        RECT copy = box;
        const int answer = DrawTextW(dc_, L"Hi", -1, &copy, format);
        EXPECT_GT(answer, 0);
        return Ink();
    };
    RECT ink = draw(DT_SINGLELINE);
    EXPECT_LT(ink.left - box.left, 5);
    EXPECT_LT(ink.top - box.top, 10);
    ink = draw(DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
    EXPECT_LT(box.right - ink.right, 5);
    EXPECT_LT(box.bottom - ink.bottom, 10);
    ink = draw(DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    EXPECT_NEAR((ink.left + ink.right) / 2.0, (box.left + box.right) / 2.0, 3);
    EXPECT_NEAR((ink.top + ink.bottom) / 2.0, (box.top + box.bottom) / 2.0, 5);
    // The ink stays inside the rectangle.
    RECT small {100, 50, 110, 60};
    Clear();
    DrawTextW(dc_, L"WWWWWW", -1, &small, DT_SINGLELINE);
    ink = Ink();
    EXPECT_GE(ink.left, 100);
    EXPECT_LE(ink.right, 110);
    EXPECT_LE(ink.bottom, 60);
}

TEST_F(TextTest, SmoothingFollowsTheQuality) {
    const auto shades = [&](BYTE quality) {
        UseFont(-24, quality);
        Clear();
        SetTextColor(dc_, RGB(0, 0, 0));
        RECT box {0, 0, kWidth, kHeight};
        DrawTextW(dc_, L"Smooth", -1, &box, DT_SINGLELINE);
        int between = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) between += At(x, y) != 0 && At(x, y) != 0xFFFFFF;
        }
        return between;
    };
    EXPECT_GT(shades(ANTIALIASED_QUALITY), 20);
    EXPECT_EQ(shades(NONANTIALIASED_QUALITY), 0);
    // The text colour is the one set.
    SetTextColor(dc_, RGB(255, 0, 0));
    RECT box {0, 0, kWidth, kHeight};
    DrawTextW(dc_, L"I", -1, &box, DT_SINGLELINE);
    const RECT ink = Ink();
    EXPECT_EQ(At(ink.left, (ink.top + ink.bottom) / 2) & 0x00FFFF, 0u);
}

TEST(MetricsTest, TheIconTitleFontDrawsAndTheWorkAreaFitsTheScreen) {
    LOGFONTW font {};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0));
    EXPECT_LT(font.lfHeight, 0);
    EXPECT_NE(font.lfFaceName[0], 0);
    HFONT made = CreateFontIndirectW(&font);
    EXPECT_NE(made, nullptr);
    DeleteObject(made);
    RECT area {};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0));
    EXPECT_GT(area.right - area.left, 0);
    EXPECT_LE(area.right - area.left, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_LE(area.bottom - area.top, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(GetSystemMetrics(SM_CXFRAME), 4);
    EXPECT_FALSE(SystemParametersInfoW(0x9999, 0, &area, 0));
}

}  // namespace
