// The GDI+ calls of the application's bars: a bitmap copied from an
// HBITMAP, drawn 1:1 and stretched through a device context, and a
// one-pixel line with both ends.
#include <gtest/gtest.h>

#include <cstring>

#include "gdi/gdiplus.h"

namespace {

struct Dib {
    Dib(int width, int height, int bitCount) : width(width) {
        BITMAPINFO info {};
        info.bmiHeader = {
            sizeof(BITMAPINFOHEADER), width, -height, 1, static_cast<WORD>(bitCount), BI_RGB, 0, 0, 0, 0, 0};
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        dc = CreateCompatibleDC(nullptr);
        old = SelectObject(dc, bitmap);
    }
    ~Dib() {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    std::uint32_t At(int x, int y) const { return static_cast<const std::uint32_t*>(bits)[y * width + x] & 0xFFFFFF; }
    int width;
    void* bits = nullptr;
    HBITMAP bitmap = nullptr;
    HDC dc = nullptr;
    HGDIOBJ old = nullptr;
};

TEST(GdiplusTest, BitmapsFromHbitmapsDrawnAndLines) {
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);

    Dib source(3, 1, 24);
    const std::uint8_t rgb[9] = {0, 0, 255, 0, 255, 0, 255, 0, 0};  // red, green, blue as BGR
    std::memcpy(source.bits, rgb, sizeof(rgb));
    Gdiplus::Bitmap copy(source.bitmap, nullptr);
    ASSERT_EQ(copy.GetLastStatus(), Gdiplus::Ok);
    EXPECT_EQ(copy.GetWidth(), 3u);

    Dib target(6, 2, 32);
    {
        Gdiplus::Graphics graphics(target.dc);
        ASSERT_EQ(graphics.DrawImage(&copy, Gdiplus::Rect(0, 0, 3, 1), 0, 0, 3, 1, Gdiplus::UnitPixel), Gdiplus::Ok);
    }
    EXPECT_EQ(target.At(0, 0), 0xFF0000u);
    EXPECT_EQ(target.At(1, 0), 0x00FF00u);
    EXPECT_EQ(target.At(2, 0), 0x0000FFu);
    EXPECT_EQ(target.At(3, 0), 0u);
    {
        Gdiplus::Graphics graphics(target.dc);
        ASSERT_EQ(graphics.DrawImage(&copy, Gdiplus::Rect(0, 0, 6, 2), 0, 0, 3, 1, Gdiplus::UnitPixel), Gdiplus::Ok);
        const Gdiplus::Pen white(Gdiplus::Color(255, 255, 255, 255));
        ASSERT_EQ(graphics.DrawLine(&white, 4, 0, 4, 1), Gdiplus::Ok);
    }
    EXPECT_EQ(target.At(0, 1) & 0xFF0000, 0xFF0000u) << "stretched: red on the left";
    EXPECT_EQ(target.At(5, 1) & 0x0000FF, 0x0000FFu) << "blue on the right";
    EXPECT_EQ(target.At(4, 0), 0xFFFFFFu);
    EXPECT_EQ(target.At(4, 1), 0xFFFFFFu) << "both ends of the line";
    EXPECT_NE(target.At(5, 0), 0xFFFFFFu);

    // Drawing on the copy leaves the HBITMAP as it was.
    Gdiplus::Graphics onCopy(&copy);
    const Gdiplus::Pen black(Gdiplus::Color(255, 0, 0, 0));
    EXPECT_EQ(onCopy.DrawLine(&black, 0, 0, 2, 0), Gdiplus::Ok);
    EXPECT_EQ(std::memcmp(source.bits, rgb, sizeof(rgb)), 0);
    Gdiplus::GdiplusShutdown(token);
}

}  // namespace
