#include "picture_writer.h"

#include <cstdlib>

extern "C" {
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace movanta::dshow {

PictureWriter::~PictureWriter() {
    Reset();
}

void PictureWriter::Reset() {
    sws_freeContext(context_);
    context_ = nullptr;
}

bool PictureWriter::SetOutput(const CMediaType& type) {
    const VIDEOINFOHEADER* header = VideoInfoOf(type);
    if (header == nullptr) return false;
    const LONG width = header->bmiHeader.biWidth;
    const LONG height = std::abs(header->bmiHeader.biHeight);
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return false;
    if (type.subtype == MEDIASUBTYPE_YV12) {
        layout_ = Layout::kYv12;
    } else if (type.subtype == MEDIASUBTYPE_YUY2) {
        layout_ = Layout::kYuy2;
    } else if (type.subtype == MEDIASUBTYPE_RGB24) {
        layout_ = Layout::kRgb24;
    } else {
        return false;
    }
    stride_ = width;
    rows_ = height;
    const RECT& target = header->rcTarget;
    const bool hasTarget = target.right > target.left && target.bottom > target.top;
    width_ = hasTarget ? std::min<LONG>(target.right - target.left, width) : width;
    height_ = hasTarget ? std::min<LONG>(target.bottom - target.top, height) : height;
    bottomUp_ = layout_ == Layout::kRgb24 && header->bmiHeader.biHeight > 0;
    const int bits = layout_ == Layout::kYv12 ? 12 : layout_ == Layout::kYuy2 ? 16 : 24;
    bytes_ = static_cast<long>(DibSize(width, height, bits));
    Reset();
    return true;
}

bool PictureWriter::Write(const AVFrame& frame, std::uint8_t* target) {
    // A 4:2:0 picture of the connected size is copied plane by plane.
    if (layout_ == Layout::kYv12 && frame.format == AV_PIX_FMT_YUV420P && frame.width == width_ &&
        frame.height == height_) {
        const long luma = static_cast<long>(stride_) * rows_;
        const int chromaStride = stride_ / 2;
        av_image_copy_plane(target, stride_, frame.data[0], frame.linesize[0], width_, height_);
        av_image_copy_plane(target + luma, chromaStride, frame.data[2], frame.linesize[2], width_ / 2, height_ / 2);
        av_image_copy_plane(target + luma + static_cast<long>(chromaStride) * (rows_ / 2), chromaStride, frame.data[1],
                            frame.linesize[1], width_ / 2, height_ / 2);
        return true;
    }
    const AVPixelFormat format = layout_ == Layout::kYv12   ? AV_PIX_FMT_YUV420P
                                 : layout_ == Layout::kYuy2 ? AV_PIX_FMT_YUYV422
                                                            : AV_PIX_FMT_BGR24;
    context_ = sws_getCachedContext(context_, frame.width, frame.height, static_cast<AVPixelFormat>(frame.format),
                                    width_ & ~1, height_ & ~1, format, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (context_ == nullptr) return false;
    std::uint8_t* planes[4] = {};
    int strides[4] = {};
    switch (layout_) {
        case Layout::kYv12: {
            const long luma = static_cast<long>(stride_) * rows_;
            planes[0] = target;
            planes[2] = target + luma;  // V first
            planes[1] = target + luma + static_cast<long>(stride_ / 2) * (rows_ / 2);
            strides[0] = stride_;
            strides[1] = strides[2] = stride_ / 2;
            break;
        }
        case Layout::kYuy2:
            planes[0] = target;
            strides[0] = stride_ * 2;
            break;
        case Layout::kRgb24: {
            const int row = static_cast<int>(DibSize(stride_, 1, 24));
            planes[0] = bottomUp_ ? target + static_cast<long>(rows_ - 1) * row : target;
            strides[0] = bottomUp_ ? -row : row;
            break;
        }
    }
    sws_scale(context_, frame.data, frame.linesize, 0, frame.height, planes, strides);
    return true;
}

}  // namespace movanta::dshow
