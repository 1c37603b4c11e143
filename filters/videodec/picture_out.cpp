#include "picture_out.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace movanta::videodec {

long ImageBytes(const OutputShape& shape, int height) {
    const long stride = shape.stride;
    switch (shape.layout) {
        case Layout::Yv12: return stride * height * 3 / 2;
        case Layout::Yuy2: return stride * height * 2;
        case Layout::Rgb24: return static_cast<long>(scaler::Rgb24RowBytes(shape.stride)) * height;
    }
    return 0;
}

long WritePicture(const Picture& picture, const OutputShape& shape, std::uint8_t* out, long capacity) {
    const int stride = shape.stride;
    const int width = std::min(picture.width, stride);
    const int height = std::min(picture.height, std::abs(shape.rows));
    if (stride <= 0 || width <= 0 || height <= 0) return -1;
    const long bytes = ImageBytes(shape, height);
    if (bytes > capacity) return -1;
    const scaler::Planes& in = picture.planes;
    if (shape.layout == Layout::Rgb24) {
        std::memset(out, 0, static_cast<size_t>(capacity));
        const int rowBytes = scaler::Rgb24RowBytes(stride);
        scaler::PlanarToRgb24(in, width, height, out, rowBytes, shape.rows < 0);
        return bytes;
    }
    std::memset(out, 127, static_cast<size_t>(capacity));
    const int chromaStride = stride / 2;
    if (shape.layout == Layout::Yv12) {
        std::uint8_t* v = out + static_cast<long>(stride) * height;
        std::uint8_t* u = v + static_cast<long>(stride) * height / 4;
        for (int r = 0; r < height; ++r)
            std::memcpy(out + static_cast<long>(r) * stride, in.y + static_cast<long>(r) * in.yStride, width);
        for (int r = 0; r < height / 2; ++r) {
            std::memcpy(v + static_cast<long>(r) * chromaStride, in.v + static_cast<long>(r) * in.chromaStride,
                        width / 2);
            std::memcpy(u + static_cast<long>(r) * chromaStride, in.u + static_cast<long>(r) * in.chromaStride,
                        width / 2);
        }
        return bytes;
    }
    for (int i = 0; i < height / 2; ++i) {
        const std::uint8_t* cb = in.u + static_cast<long>(i) * in.chromaStride;
        const std::uint8_t* cr = in.v + static_cast<long>(i) * in.chromaStride;
        for (int half = 0; half < 2; ++half) {
            const std::uint8_t* y = in.y + static_cast<long>(2 * i + half) * in.yStride;
            std::uint8_t* row = out + static_cast<long>(2 * i + half) * 2 * stride;
            for (int j = 0; j < width / 2; ++j) {
                row[4 * j] = y[2 * j];
                row[4 * j + 1] = cb[j];
                row[4 * j + 2] = y[2 * j + 1];
                row[4 * j + 3] = cr[j];
            }
        }
    }
    return bytes;
}

}  // namespace movanta::videodec
