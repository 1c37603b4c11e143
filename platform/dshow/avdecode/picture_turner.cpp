#include "picture_turner.h"

#include <algorithm>

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace movanta::dshow {
namespace {

// Copies one plane of `width` x `height` turned clockwise by `degrees`,
// in tiles so that both the reads and the writes stay within the cache.
void TurnPlane(const std::uint8_t* from, int fromStride, int width, int height, std::uint8_t* to, int toStride,
               int degrees) {
    constexpr int kTile = 32;
    for (int tileY = 0; tileY < height; tileY += kTile) {
        for (int tileX = 0; tileX < width; tileX += kTile) {
            const int endY = std::min(tileY + kTile, height);
            const int endX = std::min(tileX + kTile, width);
            for (int y = tileY; y < endY; ++y) {
                const std::uint8_t* row = from + static_cast<long>(y) * fromStride;
                for (int x = tileX; x < endX; ++x) {
                    long at = 0;
                    if (degrees == 90) {
                        at = static_cast<long>(x) * toStride + (height - 1 - y);
                    } else if (degrees == 180) {
                        at = static_cast<long>(height - 1 - y) * toStride + (width - 1 - x);
                    } else {
                        at = static_cast<long>(width - 1 - x) * toStride + y;
                    }
                    to[at] = row[x];
                }
            }
        }
    }
}

}  // namespace

PictureTurner::PictureTurner() : planar_(av_frame_alloc()), turned_(av_frame_alloc()) {}

PictureTurner::~PictureTurner() {
    av_frame_free(&planar_);
    av_frame_free(&turned_);
    sws_freeContext(context_);
}

bool PictureTurner::Allocate(AVFrame* frame, int width, int height) {
    if (frame == nullptr) return false;
    if (frame->width == width && frame->height == height && frame->data[0] != nullptr) return true;
    av_frame_unref(frame);
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = width;
    frame->height = height;
    return av_frame_get_buffer(frame, 0) >= 0;
}

const AVFrame* PictureTurner::AsPlanar(const AVFrame& frame) {
    if (frame.format == AV_PIX_FMT_YUV420P || frame.format == AV_PIX_FMT_YUVJ420P) return &frame;
    context_ =
        sws_getCachedContext(context_, frame.width, frame.height, static_cast<AVPixelFormat>(frame.format), frame.width,
                             frame.height, AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (context_ == nullptr || !Allocate(planar_, frame.width, frame.height)) return nullptr;
    sws_scale(context_, frame.data, frame.linesize, 0, frame.height, planar_->data, planar_->linesize);
    return planar_;
}

const AVFrame* PictureTurner::Turn(const AVFrame& frame, int degrees) {
    if (degrees != 90 && degrees != 180 && degrees != 270) return nullptr;
    if (frame.width <= 0 || frame.height <= 0) return nullptr;
    const AVFrame* planar = AsPlanar(frame);
    if (planar == nullptr) return nullptr;
    const bool across = degrees != 180;
    if (!Allocate(turned_, across ? frame.height : frame.width, across ? frame.width : frame.height)) return nullptr;
    for (int plane = 0; plane < 3; ++plane) {
        const int width = plane == 0 ? frame.width : (frame.width + 1) / 2;
        const int height = plane == 0 ? frame.height : (frame.height + 1) / 2;
        TurnPlane(planar->data[plane], planar->linesize[plane], width, height, turned_->data[plane],
                  turned_->linesize[plane], degrees);
    }
    turned_->pts = frame.pts;
    return turned_;
}

}  // namespace movanta::dshow
