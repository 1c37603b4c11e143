// Turns decoded pictures by a quarter, half or three-quarter turn
// clockwise, as planar 4:2:0 (other formats are converted first).
#pragma once

#include <cstdint>

struct AVFrame;
struct SwsContext;

namespace movanta::dshow {

class PictureTurner {
public:
    PictureTurner();
    ~PictureTurner();
    PictureTurner(const PictureTurner&) = delete;
    PictureTurner& operator=(const PictureTurner&) = delete;

    // `frame` turned by `degrees` (90, 180 or 270); null when it cannot be
    // (no memory, a format libswscale cannot read). The picture stays valid
    // until the next call.
    const AVFrame* Turn(const AVFrame& frame, int degrees);

private:
    // `frame` as 4:2:0, converted into planar_ when it is not.
    const AVFrame* AsPlanar(const AVFrame& frame);
    static bool Allocate(AVFrame* frame, int width, int height);

    AVFrame* planar_ = nullptr;
    AVFrame* turned_ = nullptr;
    SwsContext* context_ = nullptr;
};

}  // namespace movanta::dshow
