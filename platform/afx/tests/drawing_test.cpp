// The framework's drawing objects: fonts describe themselves, regions
// combine, image lists take a strip, and an object array of fonts owns
// nothing but knows their kinds.
#include <gtest/gtest.h>

#include <cwchar>

#include "afx/collections.h"
#include "afx/drawing.h"

namespace {

TEST(DrawingObjectsTest, FontsRegionsAndImageLists) {
    LOGFONTW wanted {};
    wanted.lfHeight = -14;
    wanted.lfWeight = FW_BOLD;
    wanted.lfQuality = ANTIALIASED_QUALITY;
    std::wcscpy(wanted.lfFaceName, L"DejaVu Sans");
    CObArray fonts;
    auto* font = new CFont;
    ASSERT_TRUE(font->CreateFontIndirect(&wanted));
    fonts.Add(font);
    ASSERT_TRUE(fonts[0]->IsKindOf(RUNTIME_CLASS(CGdiObject)));
    LOGFONTW back {};
    ASSERT_TRUE(static_cast<CFont*>(fonts[0])->GetLogFont(&back));
    EXPECT_EQ(back.lfHeight, -14);
    EXPECT_EQ(back.lfWeight, FW_BOLD);
    EXPECT_STREQ(back.lfFaceName, L"DejaVu Sans");
    delete font;  // deletes the font handle with it

    CRgn a;
    CRgn b;
    CRgn both;
    ASSERT_TRUE(a.CreateRectRgn(0, 0, 10, 10));
    ASSERT_TRUE(b.CreateRectRgn(20, 0, 30, 10));
    ASSERT_TRUE(both.CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(both.CombineRgn(&a, &b, RGN_OR), COMPLEXREGION);
    EXPECT_TRUE(both.PtInRegion(25, 5));
    EXPECT_FALSE(both.PtInRegion(15, 5));
    RECT box {};
    both.GetRgnBox(&box);
    EXPECT_EQ(box.right, 30);

    BITMAPINFO info {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 8, 4, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    CBitmap strip;
    ASSERT_TRUE(strip.Attach(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0)));
    CImageList list;
    ASSERT_TRUE(list.Create(2, 4, ILC_COLOR24 | ILC_MASK, 4, 0));
    EXPECT_EQ(list.Add(&strip, RGB(255, 0, 255)), 0);
    EXPECT_EQ(list.GetImageCount(), 4);
    HICON icon = list.ExtractIcon(3);
    EXPECT_NE(icon, nullptr);
    DestroyIcon(icon);
    EXPECT_EQ(list.ExtractIcon(4), nullptr);
}

}  // namespace
