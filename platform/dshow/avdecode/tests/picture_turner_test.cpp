// Pictures turned by quarter turns, checked pixel by pixel on small odd
// sizes, where the half-size colour planes round up.
#include <gtest/gtest.h>

#include <memory>

extern "C" {
#include <libavutil/frame.h>
}

#include "picture_turner.h"

namespace movanta::dshow {
namespace {

struct FrameDeleter {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
using Frame = std::unique_ptr<AVFrame, FrameDeleter>;

// A planar 4:2:0 picture whose every sample tells its plane and place.
Frame Numbered(int width, int height) {
    Frame frame(av_frame_alloc());
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = width;
    frame->height = height;
    EXPECT_GE(av_frame_get_buffer(frame.get(), 0), 0);
    for (int plane = 0; plane < 3; ++plane) {
        const int w = plane == 0 ? width : (width + 1) / 2;
        const int h = plane == 0 ? height : (height + 1) / 2;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x)
                frame->data[plane][y * frame->linesize[plane] + x] = uint8_t(plane * 80 + y * 10 + x);
        }
    }
    return frame;
}

int At(const AVFrame& frame, int plane, int x, int y) {
    return frame.data[plane][y * frame.linesize[plane] + x];
}

TEST(PictureTurner, QuarterTurnsMoveEverySampleOfEveryPlane) {
    const Frame source = Numbered(5, 3);
    PictureTurner turner;
    for (int degrees : {90, 180, 270}) {
        SCOPED_TRACE(degrees);
        const AVFrame* turned = turner.Turn(*source, degrees);
        ASSERT_NE(turned, nullptr);
        const bool across = degrees != 180;
        EXPECT_EQ(turned->width, across ? 3 : 5);
        EXPECT_EQ(turned->height, across ? 5 : 3);
        for (int plane = 0; plane < 3; ++plane) {
            const int w = plane == 0 ? 5 : 3;
            const int h = plane == 0 ? 3 : 2;
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    // Where a clockwise turn takes the sample at (x, y).
                    const int tx = degrees == 90 ? h - 1 - y : degrees == 180 ? w - 1 - x : y;
                    const int ty = degrees == 90 ? x : degrees == 180 ? h - 1 - y : w - 1 - x;
                    ASSERT_EQ(At(*turned, plane, tx, ty), At(*source, plane, x, y))
                        << "plane " << plane << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST(PictureTurner, OtherFormatsAreTurnedAsFourTwoZeroAndOtherAnglesRefused) {
    Frame packed(av_frame_alloc());
    packed->format = AV_PIX_FMT_GRAY8;
    packed->width = 4;
    packed->height = 2;
    ASSERT_GE(av_frame_get_buffer(packed.get(), 0), 0);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) packed->data[0][y * packed->linesize[0] + x] = x == 0 && y == 0 ? 235 : 16;
    }
    PictureTurner turner;
    const AVFrame* turned = turner.Turn(*packed, 90);
    ASSERT_NE(turned, nullptr);
    EXPECT_EQ(turned->format, AV_PIX_FMT_YUV420P);
    EXPECT_EQ(turned->width, 2);
    EXPECT_EQ(turned->height, 4);
    // The bright top left sample is now at the top right.
    EXPECT_GT(At(*turned, 0, 1, 0), At(*turned, 0, 0, 0));
    EXPECT_EQ(turner.Turn(*packed, 45), nullptr);
    EXPECT_EQ(turner.Turn(*packed, 0), nullptr);
}

}  // namespace
}  // namespace movanta::dshow
