// Where pictures land in the standard H.263 frame.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame_layout.h"

namespace {

using movanta::videoenc::FrameLayout;

TEST(FrameLayoutTest, TheSmallestStandardPictureHoldsTheInputCentred) {
    struct Case {
        int width, height, frameWidth, frameHeight, column, row;
    };
    const Case cases[] = {
        {176, 144, 176, 144, 0, 0},    {128, 96, 128, 96, 0, 0},        {320, 240, 352, 288, 16, 24},
        {160, 120, 176, 144, 8, 12},   {1408, 1152, 1408, 1152, 0, 0},  {129, 96, 176, 144, 23, 24},
        {1920, 1080, 1408, 1152, -256, 36},
    };
    for (const Case& c : cases) {
        const FrameLayout layout = FrameLayout::For(c.width, c.height);
        EXPECT_EQ(layout.width, c.frameWidth) << c.width << "x" << c.height;
        EXPECT_EQ(layout.height, c.frameHeight) << c.width << "x" << c.height;
        EXPECT_EQ(layout.lumaColumn, c.column) << c.width << "x" << c.height;
        EXPECT_EQ(layout.lumaRow, c.row) << c.width << "x" << c.height;
        EXPECT_EQ(layout.chromaColumn, c.column / 2);
        EXPECT_EQ(layout.chromaRow, c.row / 2);
    }
}

// A YV12 picture whose every byte tells where it came from.
std::vector<std::uint8_t> Yv12(int width, int height) {
    std::vector<std::uint8_t> picture(FrameLayout::For(width, height).Yv12Bytes());
    const size_t luma = static_cast<size_t>(width) * height;
    const size_t chroma = static_cast<size_t>(width / 2) * (height / 2);
    for (size_t i = 0; i < luma; ++i) picture[i] = static_cast<std::uint8_t>(1 + i % 200);
    for (size_t i = 0; i < chroma; ++i) {
        picture[luma + i] = 201;           // V
        picture[luma + chroma + i] = 202;  // U
    }
    return picture;
}

TEST(FrameLayoutTest, A160By120PictureSitsOnTheBorderOfQcif) {
    const FrameLayout layout = FrameLayout::For(160, 120);
    const auto input = Yv12(160, 120);
    std::vector<std::uint8_t> frame(layout.FrameBytes(), 0xEE);
    movanta::videoenc::PlaceYv12(layout, input.data(), frame.data());
    const std::uint8_t* y = frame.data();
    const std::uint8_t* cb = y + 176 * 144;
    const std::uint8_t* cr = cb + 88 * 72;
    EXPECT_EQ(y[0], 0);
    EXPECT_EQ(y[12 * 176 + 7], 0);
    EXPECT_EQ(y[12 * 176 + 8], input[0]);
    EXPECT_EQ(y[(12 + 119) * 176 + 8 + 159], input[119 * 160 + 159]);
    EXPECT_EQ(y[(12 + 120) * 176 + 8], 0);
    EXPECT_EQ(cb[0], 127);
    EXPECT_EQ(cb[6 * 88 + 3], 127);
    EXPECT_EQ(cb[6 * 88 + 4], 202) << "Cb comes from the third plane (U)";
    EXPECT_EQ(cr[6 * 88 + 4], 201) << "Cr comes from the second plane (V)";
    EXPECT_EQ(cr[(6 + 60) * 88 + 4], 127);
}

TEST(FrameLayoutTest, LargeAndOddPicturesStayInsideTheirPlanes) {
    // Larger than 16CIF: the centre is kept. Odd sizes: halves truncate.
    for (auto [width, height] : {std::pair {1920, 1080}, std::pair {161, 121}, std::pair {1, 1}, std::pair {1500, 1300}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        const FrameLayout layout = FrameLayout::For(width, height);
        const auto input = Yv12(width, height);
        std::vector<std::uint8_t> frame(layout.FrameBytes());
        movanta::videoenc::PlaceYv12(layout, input.data(), frame.data());
        // The frame's centre shows the input's sample there (rows come in
        // pairs, so an odd last row is left out); a smaller input sits on
        // the border.
        const int cx = layout.width / 2;
        const int cy = layout.height / 2;
        const int ix = cx - layout.lumaColumn;
        const int iy = cy - layout.lumaRow;
        const bool centreCopied = ix >= 0 && ix < width && iy >= 0 && iy < (height & ~1);
        const std::uint8_t centre = frame[static_cast<size_t>(cy) * layout.width + cx];
        EXPECT_EQ(centre, centreCopied ? input[static_cast<size_t>(iy) * width + ix] : 0);
        if (layout.lumaColumn > 0) {
            EXPECT_EQ(frame[0], 0);
            EXPECT_EQ(frame[static_cast<size_t>(layout.width) * layout.height], 127);
        }
        std::vector<std::uint8_t> packed(layout.Yuy2Bytes(), 0x80);
        movanta::videoenc::PlaceYuy2(layout, packed.data(), frame.data());
        EXPECT_EQ(frame[static_cast<size_t>(cy) * layout.width + cx], centreCopied ? 0x80 : 0);
    }
    const FrameLayout wide = FrameLayout::For(1920, 1080);
    const auto input = Yv12(1920, 1080);
    std::vector<std::uint8_t> frame(wide.FrameBytes());
    movanta::videoenc::PlaceYv12(wide, input.data(), frame.data());
    EXPECT_EQ(frame[36 * 1408], input[256]) << "the frame's left edge is the input's column 256";
}

TEST(FrameLayoutTest, Yuy2TakesChromaFromTheUpperRowOnly) {
    const FrameLayout layout = FrameLayout::For(176, 144);
    std::vector<std::uint8_t> packed(layout.Yuy2Bytes());
    for (size_t row = 0; row < 144; ++row) {
        for (size_t pair = 0; pair < 88; ++pair) {
            std::uint8_t* p = &packed[row * 352 + pair * 4];
            p[0] = 10;
            p[1] = row % 2 == 0 ? 20 : 99;  // U: the lower row's must not be used
            p[2] = 11;
            p[3] = row % 2 == 0 ? 30 : 98;  // V
        }
    }
    std::vector<std::uint8_t> frame(layout.FrameBytes());
    movanta::videoenc::PlaceYuy2(layout, packed.data(), frame.data());
    EXPECT_EQ(frame[0], 10);
    EXPECT_EQ(frame[1], 11);
    EXPECT_EQ(frame[176], 10);
    EXPECT_EQ(frame[176 * 144], 20);
    EXPECT_EQ(frame[176 * 144 + 88 * 72], 30);
}

}  // namespace
