// The colour conversions against BT.601 computed here in floating point,
// and the packed layouts read the right way round.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "color_convert.h"

namespace movanta::scaler {
namespace {

int Round(double value) {
    return static_cast<int>(std::lround(std::clamp(value, 0.0, 255.0)));
}

struct Yuv {
    int y, u, v;
};
struct Rgb {
    int r, g, b;
};

// Studio-range BT.601 from full-range RGB.
Yuv ReferenceYuv(Rgb c) {
    return {Round(16 + (65.481 * c.r + 128.553 * c.g + 24.966 * c.b) / 256),
            Round(128 + (-37.797 * c.r - 74.203 * c.g + 112.0 * c.b) / 256),
            Round(128 + (112.0 * c.r - 93.786 * c.g - 18.214 * c.b) / 256)};
}

Rgb ReferenceRgb(Yuv c) {
    const double l = 1.164383 * (c.y - 16);
    return {Round(l + 1.596027 * (c.v - 128)), Round(l - 0.812968 * (c.v - 128) - 0.391762 * (c.u - 128)),
            Round(l + 2.017232 * (c.u - 128))};
}

// A 2x2 RGB24 DIB of one colour, converted; the planes' values.
Yuv ConvertBlock(Rgb colour) {
    std::vector<std::uint8_t> dib(Rgb24RowBytes(2) * 2);
    for (int row = 0; row < 2; ++row) {
        for (int x = 0; x < 2; ++x) {
            std::uint8_t* pixel = &dib[row * Rgb24RowBytes(2) + 3 * x];
            pixel[0] = static_cast<std::uint8_t>(colour.b);
            pixel[1] = static_cast<std::uint8_t>(colour.g);
            pixel[2] = static_cast<std::uint8_t>(colour.r);
        }
    }
    std::uint8_t y[4];
    std::uint8_t u = 0;
    std::uint8_t v = 0;
    Rgb24ToPlanar(dib.data(), 2, 2, 2, false, {y, &u, &v, 2, 1});
    for (std::uint8_t value : y) EXPECT_EQ(value, y[0]);
    return {y[0], u, v};
}

TEST(ColorConvert, RgbToYuvFollowsBt601WithinOne) {
    int checked = 0;
    for (int r = 0; r < 256; r += 15) {
        for (int g = 0; g < 256; g += 15) {
            for (int b = 0; b < 256; b += 15) {
                const Yuv got = ConvertBlock({r, g, b});
                const Yuv want = ReferenceYuv({r, g, b});
                ASSERT_NEAR(got.y, want.y, 1) << r << "," << g << "," << b;
                ASSERT_NEAR(got.u, want.u, 1) << r << "," << g << "," << b;
                ASSERT_NEAR(got.v, want.v, 1) << r << "," << g << "," << b;
                ++checked;
            }
        }
    }
    EXPECT_EQ(checked, 18 * 18 * 18);
}

TEST(ColorConvert, YuvToRgbFollowsBt601WithinOne) {
    for (int y = 16; y <= 235; y += 7) {
        for (int u = 16; u <= 240; u += 8) {
            for (int v = 16; v <= 240; v += 8) {
                std::uint8_t luma[4] = {std::uint8_t(y), std::uint8_t(y), std::uint8_t(y), std::uint8_t(y)};
                std::uint8_t cb = static_cast<std::uint8_t>(u);
                std::uint8_t cr = static_cast<std::uint8_t>(v);
                std::uint8_t dib[16] {};
                PlanarToRgb24({luma, &cb, &cr, 2, 1}, 2, 2, dib);
                const Rgb want = ReferenceRgb({y, u, v});
                ASSERT_NEAR(dib[2], want.r, 1) << y << "," << u << "," << v;
                ASSERT_NEAR(dib[1], want.g, 1) << y << "," << u << "," << v;
                ASSERT_NEAR(dib[0], want.b, 1) << y << "," << u << "," << v;
            }
        }
    }
}

TEST(ColorConvert, Yuy2AveragesChromaOverTheRowPair) {
    // Two rows of two pixels: Y0 U Y1 V.
    const std::uint8_t yuy2[8] = {10, 100, 20, 200, 30, 110, 40, 211};
    std::uint8_t y[4] {};
    std::uint8_t u = 0;
    std::uint8_t v = 0;
    Yuy2ToPlanar(yuy2, 2, 2, {y, &u, &v, 2, 1});
    EXPECT_EQ(std::vector<int>(y, y + 4), (std::vector<int> {10, 20, 30, 40}));
    EXPECT_EQ(u, 105);
    EXPECT_EQ(v, 205);
}

TEST(ColorConvert, BottomUpAndTopDownDibsGiveTheSameUprightPicture) {
    // 4x4: the upper half red, the lower half blue.
    const int stride = Rgb24RowBytes(4);
    std::vector<std::uint8_t> topDown(stride * 4);
    std::vector<std::uint8_t> bottomUp(stride * 4);
    for (int row = 0; row < 4; ++row) {
        for (int x = 0; x < 4; ++x) {
            const std::uint8_t pixel[3] = {std::uint8_t(row < 2 ? 0 : 255), 0, std::uint8_t(row < 2 ? 255 : 0)};
            std::copy(pixel, pixel + 3, &topDown[row * stride + 3 * x]);
            std::copy(pixel, pixel + 3, &bottomUp[(3 - row) * stride + 3 * x]);
        }
    }
    std::uint8_t planesA[24] {};
    std::uint8_t planesB[24] {};
    Rgb24ToPlanar(topDown.data(), 4, 4, 4, true, {planesA, planesA + 16, planesA + 20, 4, 2});
    Rgb24ToPlanar(bottomUp.data(), 4, 4, 4, false, {planesB, planesB + 16, planesB + 20, 4, 2});
    EXPECT_EQ(std::vector<int>(planesA, planesA + 24), std::vector<int>(planesB, planesB + 24));
    EXPECT_NEAR(planesA[0], ReferenceYuv({255, 0, 0}).y, 1);  // red on top
    EXPECT_NEAR(planesA[15], ReferenceYuv({0, 0, 255}).y, 1);

    // And back: the upper image row is the last row in memory.
    std::vector<std::uint8_t> dib(stride * 4);
    PlanarToRgb24({planesA, planesA + 16, planesA + 20, 4, 2}, 4, 4, dib.data());
    EXPECT_GT(dib[3 * stride + 2], 200);  // red in the last memory row
    EXPECT_GT(dib[0], 200);               // blue in the first
}

TEST(ColorConvert, OddSizesStayInsideThePlanes) {
    // Exactly sized buffers: the sanitizer build catches any step outside.
    for (const auto& [width, height] : {std::pair {5, 3}, std::pair {1, 1}, std::pair {7, 8}}) {
        const size_t chroma = static_cast<size_t>(width / 2) * (height / 2);
        std::vector<std::uint8_t> y(static_cast<size_t>(width) * height, 128);
        std::vector<std::uint8_t> u(std::max<size_t>(chroma, 1), 128);
        std::vector<std::uint8_t> v(std::max<size_t>(chroma, 1), 128);
        std::vector<std::uint8_t> dib(static_cast<size_t>(Rgb24RowBytes(width)) * height);
        PlanarToRgb24({y.data(), u.data(), v.data(), width, width / 2}, width, height, dib.data());
        Rgb24ToPlanar(dib.data(), width, height, height, false, {y.data(), u.data(), v.data(), width, width / 2});
        std::vector<std::uint8_t> yuy2(static_cast<size_t>(width) * 2 * height, 128);
        Yuy2ToPlanar(yuy2.data(), width, height, {y.data(), u.data(), v.data(), width, width / 2});
        EXPECT_NEAR(dib[0], 130, 2);  // mid grey everywhere, the odd edge included
        EXPECT_NEAR(dib[3 * (width - 1)], 130, 2);
    }
}

}  // namespace
}  // namespace movanta::scaler
