#include "screen_picture.h"

#include <cstdlib>

#include "dshow/uuids.h"

extern "C" {
#include <libswscale/swscale.h>
}

namespace movanta::dshow {
namespace {

constexpr int kLargestSide = 16384;

}  // namespace

ScreenPictureMaker::~ScreenPictureMaker() { sws_freeContext(context_); }

WindowPicture ScreenPictureMaker::Make(const GUID& subtype, int width, int height,
                                       const std::vector<std::uint8_t>& bytes, int outWidth, int outHeight) {
    const int rows = std::abs(height);
    if (width <= 0 || rows <= 0 || width > kLargestSide || rows > kLargestSide || outWidth <= 0 || outHeight <= 0 ||
        outWidth > kLargestSide || outHeight > kLargestSide) {
        return {};
    }
    const std::uint8_t* source[4] = {};
    int strides[4] = {};
    AVPixelFormat format = AV_PIX_FMT_NONE;
    size_t needed = 0;
    if (subtype == MEDIASUBTYPE_YV12) {
        // Y, then V, then U, each row as wide as the picture (half for V and U).
        format = AV_PIX_FMT_YUV420P;
        const size_t luma = static_cast<size_t>(width) * rows;
        const size_t chroma = static_cast<size_t>(width / 2) * (rows / 2);
        needed = luma + 2 * chroma;
        source[0] = bytes.data();
        source[1] = bytes.data() + luma + chroma;
        source[2] = bytes.data() + luma;
        strides[0] = width;
        strides[1] = strides[2] = width / 2;
    } else if (subtype == MEDIASUBTYPE_YUY2) {
        format = AV_PIX_FMT_YUYV422;
        strides[0] = width * 2;
        needed = static_cast<size_t>(strides[0]) * rows;
        source[0] = bytes.data();
    } else if (subtype == MEDIASUBTYPE_RGB24) {
        // Rows of whole 32-bit words; a positive height is bottom row first.
        format = AV_PIX_FMT_BGR24;
        const int stride = (width * 3 + 3) / 4 * 4;
        needed = static_cast<size_t>(stride) * rows;
        const bool bottomUp = height > 0;
        source[0] = bottomUp ? bytes.data() + static_cast<size_t>(stride) * (rows - 1) : bytes.data();
        strides[0] = bottomUp ? -stride : stride;
    } else {
        return {};
    }
    if (bytes.size() < needed) return {};
    context_ = sws_getCachedContext(context_, width, rows, format, outWidth, outHeight, AV_PIX_FMT_BGRA,
                                    SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (context_ == nullptr) return {};
    WindowPicture picture;
    picture.width = outWidth;
    picture.height = outHeight;
    picture.pixels.assign(static_cast<size_t>(outWidth) * outHeight, 0xFF000000u);
    std::uint8_t* target[4] = {reinterpret_cast<std::uint8_t*>(picture.pixels.data())};
    const int targetStrides[4] = {outWidth * 4};
    if (sws_scale(context_, source, strides, 0, rows, target, targetStrides) != outHeight) return {};
    return picture;
}

}  // namespace movanta::dshow
