// Scales planar 4:2:0 pictures with libswscale. The context is kept from
// one picture to the next and made again only when the sizes or the mode
// change.
//
// Modes: 1 (and any value not listed) bilinear, the engine's choice;
// 2 bicubic, sharper and slower; 3 nearest neighbour, the fastest, with
// blocky edges. Mode 0 is a plain copy and never reaches the scaler.
#pragma once

#include "color_convert.h"

struct SwsContext;

namespace movanta::scaler {

class PictureScaler {
public:
    PictureScaler() = default;
    ~PictureScaler();
    PictureScaler(const PictureScaler&) = delete;
    PictureScaler& operator=(const PictureScaler&) = delete;

    // Scales `source` (sourceWidth x sourceHeight) into `target`. Odd sizes
    // are scaled at the even size below them: an odd last source row or
    // column is left out, and an odd last target row or column of luma
    // repeats its neighbour. False when the sizes are below 2 or libswscale
    // has no context for them.
    bool Scale(int mode, const Planes& source, int sourceWidth, int sourceHeight, const Planes& target, int targetWidth,
               int targetHeight);
    // Frees the context.
    void Reset();

private:
    SwsContext* context_ = nullptr;
};

}  // namespace movanta::scaler
