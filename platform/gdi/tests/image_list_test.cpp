// Image lists cut a strip into frames and icons drawn from them keep the
// mask colour transparent; 32-bit frames blend by their alpha.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gdi/image_list.h"

namespace {

// A top-down DIB section of 32-bit pixels (0xAARRGGBB) or 24-bit ones.
HBITMAP Strip(int width, int height, int bitCount, const std::vector<std::uint32_t>& pixels) {
    BITMAPINFO info {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, static_cast<WORD>(bitCount), BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const int stride = ((width * bitCount + 31) / 32) * 4;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            std::memcpy(static_cast<std::uint8_t*>(bits) + y * stride + x * bitCount / 8, &pixels[y * width + x],
                        bitCount / 8);
    }
    return bitmap;
}

constexpr std::uint32_t kMagenta = 0xFF00FF;

TEST(ImageListTest, IconsKeepTheMaskColourTransparent) {
    // Two 2x1 frames: (red, magenta) and (magenta, green).
    HBITMAP strip = Strip(4, 1, 24, {0xFF0000, kMagenta, kMagenta, 0x00FF00});
    HIMAGELIST list = ImageList_Create(2, 1, ILC_COLOR24 | ILC_MASK, 2, 0);
    ASSERT_EQ(ImageList_AddMasked(list, strip, RGB(255, 0, 255)), 0);
    EXPECT_EQ(ImageList_GetImageCount(list), 2);
    EXPECT_EQ(ImageList_GetIcon(list, 2, ILD_NORMAL), nullptr);
    HICON icon = ImageList_GetIcon(list, 1, ILD_NORMAL);
    ASSERT_NE(icon, nullptr);

    void* bits = nullptr;
    BITMAPINFO info {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 4, -1, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HBITMAP canvas = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* pixels = static_cast<std::uint32_t*>(bits);
    for (int i = 0; i < 4; ++i) pixels[i] = 0xFF0000FF;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, canvas);
    ASSERT_TRUE(DrawIconEx(dc, 1, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(pixels[1], 0xFF0000FFu) << "the magenta pixel left the canvas as it was";
    EXPECT_EQ(pixels[2] & 0xFFFFFF, 0x00FF00u);
    // Stretched to twice the width: each pixel twice.
    ASSERT_TRUE(DrawIconEx(dc, 0, 0, icon, 4, 1, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(pixels[0] & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(pixels[3] & 0xFFFFFF, 0x00FF00u);
    DestroyIcon(icon);

    // 32-bit frames in a 32-bit list blend by their own alpha.
    HBITMAP translucent = Strip(1, 1, 32, {0x80FF0000});
    HIMAGELIST colours = ImageList_Create(1, 1, ILC_COLOR32 | ILC_MASK, 1, 0);
    ASSERT_EQ(ImageList_AddMasked(colours, translucent, RGB(255, 0, 255)), 0);
    HICON half = ImageList_GetIcon(colours, 0, ILD_NORMAL);
    ASSERT_TRUE(DrawIconEx(dc, 0, 0, half, 0, 0, 0, nullptr, DI_NORMAL));
    EXPECT_EQ(pixels[0], 0xFF80007Fu);
    DestroyIcon(half);
    EXPECT_FALSE(DestroyIcon(half)) << "already destroyed";

    SelectObject(dc, old);
    DeleteDC(dc);
    for (HBITMAP bitmap : {strip, canvas, translucent}) DeleteObject(bitmap);
    ImageList_Destroy(list);
    ImageList_Destroy(colours);
}

}  // namespace
