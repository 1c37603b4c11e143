// Conversions between packed pictures and planar 4:2:0 (Y, U, V planes with
// chroma at half width and half height, truncated). Odd last columns and
// rows have no chroma of their own and use the nearest one.
#pragma once

#include <cstdint>

namespace movanta::scaler {

struct Planes {
    std::uint8_t* y;
    std::uint8_t* u;
    std::uint8_t* v;
    int yStride;
    int chromaStride;
};

// YUY2 rows of width * 2 bytes, top-down. Chroma is the mean of the two
// rows of each pair; an odd last row or column is left out.
void Yuy2ToPlanar(const std::uint8_t* source, int width, int height, const Planes& target);

// An RGB24 DIB (blue, green, red; rows padded to 4 bytes) of `rows` rows in
// memory, bottom-up unless `topDown`; converts width x height of it. Chroma
// comes from the upper-left pixel of each 2x2 block; an odd last row or
// column is left out.
void Rgb24ToPlanar(const std::uint8_t* source, int width, int height, int rows, bool topDown, const Planes& target);

// Writes an RGB24 DIB of width x height, rows of `rowBytes` (at least the
// padded row of the width), bottom-up unless `topDown`.
void PlanarToRgb24(const Planes& source, int width, int height, std::uint8_t* target, int rowBytes, bool topDown);

// Bytes of one row of an RGB24 DIB.
inline int Rgb24RowBytes(int width) {
    return (3 * width + 3) / 4 * 4;
}
// A bottom-up RGB24 DIB of width x height with rows padded to 4 bytes.
inline void PlanarToRgb24(const Planes& source, int width, int height, std::uint8_t* target) {
    PlanarToRgb24(source, width, height, target, Rgb24RowBytes(width), false);
}

}  // namespace movanta::scaler
