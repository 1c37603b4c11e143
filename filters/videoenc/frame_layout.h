// Placing an input picture in the smallest standard H.263 picture that
// holds it: the size choice, the centring offsets and the copies from YV12
// and YUY2 into a planar 4:2:0 frame with a border of Y 0 and chroma 127.
#pragma once

#include <cstddef>
#include <cstdint>

namespace movanta::videoenc {

struct PictureSize {
    int width;
    int height;
};

// The first of sub-QCIF, QCIF, CIF, 4CIF, 16CIF that holds the input;
// 16CIF when none does.
PictureSize StandardSize(int inputWidth, int inputHeight);

// Where the input lands in the frame. Offsets are negative for an input
// larger than the frame: its centre is kept and the rest cropped.
struct FrameLayout {
    int inputWidth = 0;
    int inputHeight = 0;
    int width = 0;  // the frame (encode) size
    int height = 0;
    int lumaColumn = 0;
    int lumaRow = 0;
    int chromaColumn = 0;
    int chromaRow = 0;

    static FrameLayout For(int inputWidth, int inputHeight);
    std::size_t FrameBytes() const { return static_cast<std::size_t>(width) * height * 3 / 2; }
    // Bytes an input sample must hold.
    std::size_t Yv12Bytes() const;
    std::size_t Yuy2Bytes() const;
};

// Fills `frame` (FrameBytes) with the border and copies the picture into it.
// The input must hold at least Yv12Bytes / Yuy2Bytes.
void PlaceYv12(const FrameLayout& layout, const std::uint8_t* input, std::uint8_t* frame);
void PlaceYuy2(const FrameLayout& layout, const std::uint8_t* input, std::uint8_t* frame);

}  // namespace movanta::videoenc
