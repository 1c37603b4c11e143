// Regions: combinations, their boxes and kinds, and which points they hold.
#include <gtest/gtest.h>

#include <array>

#include "gdi/wingdi.h"

namespace {

TEST(RegionTest, CombinationsBoxesAndPoints) {
    HRGN a = CreateRectRgn(0, 0, 10, 10);
    HRGN b = CreateRectRgn(5, 5, 15, 15);
    HRGN out = CreateRectRgn(0, 0, 0, 0);
    RECT box {};
    EXPECT_EQ(GetRgnBox(out, &box), NULLREGION);

    EXPECT_EQ(CombineRgn(out, a, b, RGN_AND), SIMPLEREGION);
    GetRgnBox(out, &box);
    EXPECT_TRUE(EqualRect(&box, std::array<RECT, 1> {{{5, 5, 10, 10}}}.data()));

    EXPECT_EQ(CombineRgn(out, a, b, RGN_OR), COMPLEXREGION);
    GetRgnBox(out, &box);
    EXPECT_EQ(box.right, 15);
    EXPECT_TRUE(PtInRegion(out, 14, 14));
    EXPECT_FALSE(PtInRegion(out, 14, 2)) << "outside both";
    EXPECT_FALSE(PtInRegion(out, 15, 14)) << "right edge excluded";

    EXPECT_EQ(CombineRgn(out, a, b, RGN_DIFF), COMPLEXREGION);
    EXPECT_TRUE(PtInRegion(out, 2, 7));
    EXPECT_FALSE(PtInRegion(out, 7, 7));
    EXPECT_EQ(CombineRgn(out, a, b, RGN_XOR), COMPLEXREGION);
    EXPECT_FALSE(PtInRegion(out, 7, 7));
    EXPECT_TRUE(PtInRegion(out, 12, 12));

    // Two touching halves join into one rectangle.
    HRGN left = CreateRectRgn(0, 0, 5, 10);
    HRGN right = CreateRectRgn(5, 0, 10, 10);
    EXPECT_EQ(CombineRgn(out, left, right, RGN_OR), SIMPLEREGION);
    EXPECT_EQ(CombineRgn(out, left, right, RGN_AND), NULLREGION);
    EXPECT_EQ(CombineRgn(out, a, nullptr, RGN_COPY), SIMPLEREGION);
    EXPECT_EQ(CombineRgn(out, a, nullptr, RGN_OR), RGN_ERROR);
    for (HRGN region : {a, b, out, left, right}) EXPECT_TRUE(DeleteObject(region));
}

}  // namespace
