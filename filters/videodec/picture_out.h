// Writing a decoded 4:2:0 picture into an output buffer of the connected
// type: YV12 or YUY2 (the rest of the buffer at 127) or an RGB24 DIB (the
// rest at 0), at the output's stride and row count. A picture larger than
// the output type is cut to it.
#pragma once

#include <cstdint>

#include "color_convert.h"

namespace movanta::videodec {

enum class Layout { Yv12 = 0, Yuy2 = 1, Rgb24 = 2 };

struct OutputShape {
    Layout layout = Layout::Yv12;
    int stride = 176;  // pixels of a luma row (biWidth)
    int rows = 144;    // signed biHeight: negative for a top-down RGB24 DIB
};

// The picture: planes, its size and its line sizes.
struct Picture {
    scaler::Planes planes;
    int width;
    int height;
};

// Bytes of the image of `height` rows in this shape.
long ImageBytes(const OutputShape& shape, int height);

// Writes the picture into `out` of `capacity` bytes; the image length, or
// -1 when the buffer cannot hold the image.
long WritePicture(const Picture& picture, const OutputShape& shape, std::uint8_t* out, long capacity);

}  // namespace movanta::videodec
