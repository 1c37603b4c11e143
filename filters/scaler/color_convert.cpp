#include "color_convert.h"

#include <algorithm>

#include "color_tables.h"

namespace movanta::scaler {

void Yuy2ToPlanar(const std::uint8_t* source, int width, int height, const Planes& target) {
    const int stride = width * 2;
    for (int pair = 0; pair < height / 2; ++pair) {
        const std::uint8_t* upper = source + static_cast<long>(2 * pair) * stride;
        const std::uint8_t* lower = upper + stride;
        std::uint8_t* yUpper = target.y + static_cast<long>(2 * pair) * target.yStride;
        std::uint8_t* yLower = yUpper + target.yStride;
        std::uint8_t* u = target.u + static_cast<long>(pair) * target.chromaStride;
        std::uint8_t* v = target.v + static_cast<long>(pair) * target.chromaStride;
        for (int x = 0; x < width / 2; ++x) {
            const std::uint8_t* a = upper + 4 * x;
            const std::uint8_t* b = lower + 4 * x;
            yUpper[2 * x] = a[0];
            yUpper[2 * x + 1] = a[2];
            yLower[2 * x] = b[0];
            yLower[2 * x + 1] = b[2];
            u[x] = static_cast<std::uint8_t>((a[1] + b[1]) >> 1);
            v[x] = static_cast<std::uint8_t>((a[3] + b[3]) >> 1);
        }
    }
}

void Rgb24ToPlanar(const std::uint8_t* source, int width, int height, int rows, bool topDown, const Planes& target) {
    const ColorTables& c = Colors();
    const int stride = Rgb24RowBytes(width);
    const auto row = [&](int imageRow) {
        return source + static_cast<long>(topDown ? imageRow : rows - 1 - imageRow) * stride;
    };
    const auto luma = [&](const std::uint8_t* pixel) {
        return static_cast<std::uint8_t>((c.yFromR[pixel[2]] + c.yFromG[pixel[1]] + c.yFromB[pixel[0]] + 0x100000) >>
                                         16);
    };
    for (int pair = 0; pair < std::min(height, rows) / 2; ++pair) {
        const std::uint8_t* upper = row(2 * pair);
        const std::uint8_t* lower = row(2 * pair + 1);
        std::uint8_t* yUpper = target.y + static_cast<long>(2 * pair) * target.yStride;
        std::uint8_t* yLower = yUpper + target.yStride;
        std::uint8_t* u = target.u + static_cast<long>(pair) * target.chromaStride;
        std::uint8_t* v = target.v + static_cast<long>(pair) * target.chromaStride;
        for (int x = 0; x < width / 2; ++x) {
            const std::uint8_t* a = upper + 6 * x;
            const std::uint8_t* b = lower + 6 * x;
            yUpper[2 * x] = luma(a);
            yUpper[2 * x + 1] = luma(a + 3);
            yLower[2 * x] = luma(b);
            yLower[2 * x + 1] = luma(b + 3);
            const int blue = a[0];
            const int green = a[1];
            const int red = a[2];
            u[x] = static_cast<std::uint8_t>((c.uFromBvFromR[blue] - c.uFromG[green] - c.uFromR[red] + 0x800000) >> 16);
            v[x] = static_cast<std::uint8_t>((c.uFromBvFromR[red] - c.vFromB[blue] - c.vFromG[green] + 0x800000) >> 16);
        }
    }
}

void PlanarToRgb24(const Planes& source, int width, int height, std::uint8_t* target, int rowBytes, bool topDown) {
    const ColorTables& c = Colors();
    const int lastChromaColumn = std::max(width / 2 - 1, 0);
    const int lastChromaRow = std::max(height / 2 - 1, 0);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* luma = source.y + static_cast<long>(y) * source.yStride;
        const long chromaRow = static_cast<long>(std::min(y / 2, lastChromaRow)) * source.chromaStride;
        const std::uint8_t* u = source.u + chromaRow;
        const std::uint8_t* v = source.v + chromaRow;
        std::uint8_t* out = target + static_cast<long>(topDown ? y : height - 1 - y) * rowBytes;
        for (int x = 0; x < width; ++x) {
            const int chroma = std::min(x / 2, lastChromaColumn);
            const int l = c.luma[luma[x]];
            out[3 * x] = c.Clip((l + c.bFromU[u[chroma]]) >> 16);
            out[3 * x + 1] = c.Clip((l - c.gFromV[v[chroma]] - c.gFromU[u[chroma]]) >> 16);
            out[3 * x + 2] = c.Clip((l + c.rFromV[v[chroma]]) >> 16);
        }
    }
}

}  // namespace movanta::scaler
