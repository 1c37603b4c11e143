#include "picture_scaler.h"

#include <cstring>

extern "C" {
#include <libswscale/swscale.h>
}

namespace movanta::scaler {
namespace {

int FlagsFor(int mode) {
    switch (mode) {
        case 2: return SWS_BICUBIC;
        case 3: return SWS_POINT;
        default: return SWS_BILINEAR;
    }
}

// Repeats the luma column and row that the even-size scaling did not fill.
void FillOddEdges(const Planes& target, int width, int height) {
    if (width % 2 != 0) {
        for (int y = 0; y < height - height % 2; ++y) {
            std::uint8_t* row = target.y + static_cast<long>(y) * target.yStride;
            row[width - 1] = row[width - 2];
        }
    }
    if (height % 2 != 0) {
        std::uint8_t* last = target.y + static_cast<long>(height - 1) * target.yStride;
        std::memcpy(last, last - target.yStride, static_cast<size_t>(width));
    }
}

}  // namespace

PictureScaler::~PictureScaler() {
    Reset();
}

void PictureScaler::Reset() {
    sws_freeContext(context_);
    context_ = nullptr;
}

bool PictureScaler::Scale(int mode, const Planes& source, int sourceWidth, int sourceHeight, const Planes& target,
                          int targetWidth, int targetHeight) {
    const int inWidth = sourceWidth & ~1;
    const int inHeight = sourceHeight & ~1;
    const int outWidth = targetWidth & ~1;
    const int outHeight = targetHeight & ~1;
    if (inWidth < 2 || inHeight < 2 || outWidth < 2 || outHeight < 2) return false;
    context_ = sws_getCachedContext(context_, inWidth, inHeight, AV_PIX_FMT_YUV420P, outWidth, outHeight,
                                    AV_PIX_FMT_YUV420P, FlagsFor(mode), nullptr, nullptr, nullptr);
    if (context_ == nullptr) return false;
    const std::uint8_t* const in[4] = {source.y, source.u, source.v, nullptr};
    const int inStrides[4] = {source.yStride, source.chromaStride, source.chromaStride, 0};
    std::uint8_t* const out[4] = {target.y, target.u, target.v, nullptr};
    const int outStrides[4] = {target.yStride, target.chromaStride, target.chromaStride, 0};
    sws_scale(context_, in, inStrides, 0, inHeight, out, outStrides);
    FillOddEdges(target, targetWidth, targetHeight);
    return true;
}

}  // namespace movanta::scaler
