// Turning the renderer's pictures (YV12, YUY2 or RGB24 as they arrive) into
// the 32-bit pictures a window shows, at the size they are shown at.
#pragma once

#include "win/window_picture.h"
#include "com/guid.h"

#include <cstdint>
#include <vector>

struct SwsContext;

namespace movanta::dshow {

class ScreenPictureMaker {
public:
    ScreenPictureMaker() = default;
    ~ScreenPictureMaker();
    ScreenPictureMaker(const ScreenPictureMaker&) = delete;
    ScreenPictureMaker& operator=(const ScreenPictureMaker&) = delete;

    // The picture of `subtype`, `width` x `height` (a negative height: a
    // top-down RGB24 picture), scaled to `outWidth` x `outHeight`; empty
    // when the bytes are too few for the picture or the subtype is another.
    WindowPicture Make(const GUID& subtype, int width, int height, const std::vector<std::uint8_t>& bytes,
                       int outWidth, int outHeight);

private:
    SwsContext* context_ = nullptr;
};

}  // namespace movanta::dshow
