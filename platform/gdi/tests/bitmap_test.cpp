// Bitmaps of every depth drawn through memory device contexts: 1:1 copies,
// stretches, fills, inversions and alpha blending, checked pixel by pixel.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gdi/wingdi.h"

namespace {

// A DIB section and a device context holding it.
struct Picture {
    Picture(int width, int height, int bitCount, const std::vector<RGBQUAD>& palette = {}, bool topDown = false)
        : width(width), height(height) {
        std::vector<std::uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
        auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
        *header = {sizeof(BITMAPINFOHEADER),
                   width,
                   topDown ? -height : height,
                   1,
                   static_cast<WORD>(bitCount),
                   BI_RGB,
                   0,
                   0,
                   0,
                   static_cast<DWORD>(palette.size()),
                   0};
        if (!palette.empty()) std::memcpy(header + 1, palette.data(), palette.size() * sizeof(RGBQUAD));
        bitmap =
            CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &bits, nullptr, 0);
        dc = CreateCompatibleDC(nullptr);
        old = SelectObject(dc, bitmap);
        stride = ((width * bitCount + 31) / 32) * 4;
        this->topDown = topDown;
    }
    ~Picture() {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    std::uint8_t* Row(int y) const {
        return static_cast<std::uint8_t*>(bits) + static_cast<size_t>(stride) * (topDown ? y : height - 1 - y);
    }
    // The 32-bit pixel at (x, y) as 0xAARRGGBB.
    std::uint32_t At(int x, int y) const {
        std::uint32_t pixel = 0;
        std::memcpy(&pixel, Row(y) + 4 * x, 4);
        return pixel;
    }
    int width;
    int height;
    int stride = 0;
    bool topDown = false;
    void* bits = nullptr;
    HBITMAP bitmap = nullptr;
    HDC dc = nullptr;
    HGDIOBJ old = nullptr;
};

const std::vector<RGBQUAD> kFour = {{0, 0, 0, 0}, {0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}};

TEST(BitmapTest, EveryDepthCopiesAndStretchesIntoThirtyTwoBits) {
    // Column x of every picture shows colour x % 4: black, red, green, blue.
    const std::uint32_t colours[4] = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    for (const int depth : {1, 4, 8, 24, 32}) {
        for (const bool topDown : {false, true}) {
            SCOPED_TRACE(testing::Message() << depth << (topDown ? " top-down" : " bottom-up"));
            const int kinds = depth == 1 ? 2 : 4;
            Picture source(
                9, 3, depth,
                depth <= 8 ? std::vector<RGBQUAD>(kFour.begin(), kFour.begin() + kinds) : std::vector<RGBQUAD> {},
                topDown);
            ASSERT_NE(source.bitmap, nullptr);
            for (int y = 0; y < 3; ++y) {
                for (int x = 0; x < 9; ++x) {
                    const int index = x % kinds;
                    std::uint8_t* row = source.Row(y);
                    if (depth == 1) row[x / 8] |= static_cast<std::uint8_t>(index << (7 - x % 8));
                    if (depth == 4) row[x / 2] |= static_cast<std::uint8_t>(index << (x % 2 == 0 ? 4 : 0));
                    if (depth == 8) row[x] = static_cast<std::uint8_t>(index);
                    if (depth >= 24) std::memcpy(row + x * depth / 8, &colours[index], 3);
                    if (depth == 32) row[x * 4 + 3] = 0x80;
                }
            }
            Picture target(9, 3, 32);
            std::memset(target.bits, 0x11, static_cast<size_t>(target.stride) * 3);
            ASSERT_TRUE(BitBlt(target.dc, 0, 0, 9, 3, source.dc, 0, 0, SRCCOPY));
            for (int x = 0; x < 9; ++x) {
                const std::uint32_t alpha = depth == 32 ? 0x80000000u : 0;
                EXPECT_EQ(target.At(x, 1), colours[x % kinds] | alpha) << "x " << x;
            }
            // Stretched to twice the width, nearest: each column twice.
            Picture wide(18, 3, 32);
            SetStretchBltMode(wide.dc, COLORONCOLOR);
            ASSERT_TRUE(StretchBlt(wide.dc, 0, 0, 18, 3, source.dc, 0, 0, 9, 3, SRCCOPY));
            for (int x = 0; x < 18; ++x) EXPECT_EQ(wide.At(x, 2) & 0xFFFFFF, colours[(x / 2) % kinds]) << "x " << x;
        }
    }
}

TEST(BitmapTest, SameFormatCopiesMoveBytesAndClip) {
    Picture a(5, 4, 24);
    Picture b(5, 4, 24);
    for (int y = 0; y < 4; ++y) {
        for (int i = 0; i < a.stride; ++i) a.Row(y)[i] = static_cast<std::uint8_t>(y * 40 + i);
    }
    ASSERT_TRUE(BitBlt(b.dc, 0, 0, 5, 4, a.dc, 0, 0, SRCCOPY));
    for (int y = 0; y < 4; ++y) EXPECT_EQ(std::memcmp(a.Row(y), b.Row(y), 15), 0);
    // Partly outside both: only the overlap moves.
    std::memset(b.bits, 0, static_cast<size_t>(b.stride) * 4);
    ASSERT_TRUE(BitBlt(b.dc, 3, -1, 10, 10, a.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(std::memcmp(b.Row(0) + 9, a.Row(1), 6), 0);
    EXPECT_EQ(b.Row(0)[0], 0);

    BITMAP info {};
    EXPECT_EQ(GetObjectW(a.bitmap, sizeof(info), &info), static_cast<int>(sizeof(BITMAP)));
    EXPECT_EQ(info.bmWidth, 5);
    EXPECT_EQ(info.bmWidthBytes, 16);
    EXPECT_EQ(info.bmBitsPixel, 24);
    EXPECT_EQ(info.bmBits, a.bits);
    DIBSECTION section {};
    EXPECT_EQ(GetObjectW(a.bitmap, sizeof(section), &section), static_cast<int>(sizeof(DIBSECTION)));
    EXPECT_EQ(section.dsBmih.biHeight, 4);
    EXPECT_FALSE(DeleteObject(a.bitmap)) << "still selected";
}

TEST(BitmapTest, StretchingPicksOrAveragesSourcePixels) {
    Picture source(4, 1, 32);
    const std::uint32_t values[4] = {0x000010, 0x000020, 0x000030, 0x000040};
    std::memcpy(source.Row(0), values, sizeof(values));
    Picture wide(8, 2, 32);
    SetStretchBltMode(wide.dc, COLORONCOLOR);
    ASSERT_TRUE(StretchBlt(wide.dc, 0, 0, 8, 2, source.dc, 0, 0, 4, 1, SRCCOPY));
    for (int x = 0; x < 8; ++x) EXPECT_EQ(wide.At(x, 1), values[x / 2]) << x;
    Picture narrow(2, 1, 32);
    SetStretchBltMode(narrow.dc, COLORONCOLOR);
    ASSERT_TRUE(StretchBlt(narrow.dc, 0, 0, 2, 1, source.dc, 0, 0, 4, 1, SRCCOPY));
    EXPECT_EQ(narrow.At(0, 0), values[0]);
    EXPECT_EQ(narrow.At(1, 0), values[2]);
    SetStretchBltMode(narrow.dc, HALFTONE);
    ASSERT_TRUE(StretchBlt(narrow.dc, 0, 0, 2, 1, source.dc, 0, 0, 4, 1, SRCCOPY));
    EXPECT_EQ(narrow.At(0, 0), 0x000018u);
    EXPECT_EQ(narrow.At(1, 0), 0x000038u);
}

TEST(BitmapTest, FillsInversionsAndAlphaBlending) {
    Picture canvas(4, 4, 32);
    HBRUSH brush = CreateSolidBrush(RGB(0x12, 0x34, 0x56));
    const RECT box {1, 1, 3, 3};
    EXPECT_TRUE(FillRect(canvas.dc, &box, brush));
    EXPECT_EQ(canvas.At(1, 1), 0x123456u);
    EXPECT_EQ(canvas.At(3, 3), 0u) << "right and bottom edges excluded";
    SelectObject(canvas.dc, brush);
    EXPECT_TRUE(PatBlt(canvas.dc, 0, 0, 2, 2, PATINVERT));
    EXPECT_EQ(canvas.At(1, 1), 0u);
    EXPECT_EQ(canvas.At(0, 0), 0x123456u);
    EXPECT_TRUE(PatBlt(canvas.dc, 0, 0, 1, 1, DSTINVERT));
    EXPECT_EQ(canvas.At(0, 0), 0xEDCBA9u);
    DeleteObject(brush);

    // A premultiplied half-transparent red over opaque blue, then the
    // constant alpha alone.
    Picture over(1, 1, 32);
    const std::uint32_t red = 0x80800000;
    std::memcpy(over.Row(0), &red, 4);
    Picture under(1, 1, 32);
    const std::uint32_t blue = 0xFF0000FF;
    std::memcpy(under.Row(0), &blue, 4);
    ASSERT_TRUE(AlphaBlend(under.dc, 0, 0, 1, 1, over.dc, 0, 0, 1, 1, {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA}));
    EXPECT_EQ(under.At(0, 0), 0xFF80007Fu);
    std::memcpy(under.Row(0), &blue, 4);
    ASSERT_TRUE(AlphaBlend(under.dc, 0, 0, 1, 1, over.dc, 0, 0, 1, 1, {AC_SRC_OVER, 0, 51, 0}));
    EXPECT_EQ(under.At(0, 0), 0xE61A00CCu);
    EXPECT_FALSE(AlphaBlend(under.dc, 0, 0, 1, 1, over.dc, 0, 0, 2, 1, {AC_SRC_OVER, 0, 255, 0}))
        << "a source area outside the source";
}

TEST(BitmapTest, BadHandlesAndHeadersAreRefused) {
    BITMAPINFO info {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 100000, 100000, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr) << "too large";
    EXPECT_EQ(bits, nullptr);
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 4, 4, 1, 16, BI_RGB, 0, 0, 0, 0, 0};
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr) << "16 bits";
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(dc)) << "already deleted";
    EXPECT_FALSE(BitBlt(dc, 0, 0, 1, 1, dc, 0, 0, SRCCOPY));
    EXPECT_EQ(GetDeviceCaps(nullptr, LOGPIXELSX), 96);
}

}  // namespace
