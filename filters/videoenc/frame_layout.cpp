#include "frame_layout.h"

#include <algorithm>
#include <cstring>

namespace movanta::videoenc {
namespace {

constexpr PictureSize kStandard[] = {{128, 96}, {176, 144}, {352, 288}, {704, 576}, {1408, 1152}};

// The part of a row of `length` that lands inside a destination row of
// `limit` when placed at `offset`: first source index, first destination
// index and count.
struct Span {
    int source;
    int target;
    int count;
};

Span Clip(int offset, int length, int limit) {
    const int source = offset < 0 ? -offset : 0;
    const int target = offset < 0 ? 0 : offset;
    const int count = std::max(0, std::min(length - source, limit - target));
    return {source, target, count};
}

}  // namespace

PictureSize StandardSize(int inputWidth, int inputHeight) {
    for (const PictureSize& size : kStandard) {
        if (size.width >= inputWidth && size.height >= inputHeight) return size;
    }
    return kStandard[4];
}

FrameLayout FrameLayout::For(int inputWidth, int inputHeight) {
    FrameLayout layout;
    layout.inputWidth = std::max(0, inputWidth);
    layout.inputHeight = std::max(0, inputHeight);
    const PictureSize size = StandardSize(layout.inputWidth, layout.inputHeight);
    layout.width = size.width;
    layout.height = size.height;
    layout.lumaColumn = (layout.width - layout.inputWidth) / 2;
    layout.lumaRow = (layout.height - layout.inputHeight) / 2;
    layout.chromaColumn = layout.lumaColumn / 2;
    layout.chromaRow = layout.lumaRow / 2;
    return layout;
}

std::size_t FrameLayout::Yv12Bytes() const {
    return static_cast<std::size_t>(inputWidth) * inputHeight +
           2 * static_cast<std::size_t>(inputWidth / 2) * (inputHeight / 2);
}

std::size_t FrameLayout::Yuy2Bytes() const {
    return static_cast<std::size_t>(inputWidth) * 2 * inputHeight;
}

void PlaceYv12(const FrameLayout& layout, const std::uint8_t* input, std::uint8_t* frame) {
    const int chromaWidth = layout.width / 2;
    const int chromaHeight = layout.height / 2;
    std::uint8_t* y = frame;
    std::uint8_t* cb = frame + layout.width * layout.height;
    std::uint8_t* cr = cb + chromaWidth * chromaHeight;
    std::memset(y, 0, static_cast<size_t>(layout.width) * layout.height);
    std::memset(cb, 127, static_cast<size_t>(chromaWidth) * chromaHeight * 2);

    const int inWidth = layout.inputWidth;
    const int inChroma = inWidth / 2;
    const std::uint8_t* inY = input;
    const std::uint8_t* inV = input + static_cast<size_t>(inWidth) * layout.inputHeight;  // YV12: V, then U
    const std::uint8_t* inU = inV + static_cast<size_t>(inChroma) * (layout.inputHeight / 2);
    const Span luma = Clip(layout.lumaColumn, inWidth, layout.width);
    const Span chroma = Clip(layout.chromaColumn, inChroma, chromaWidth);
    for (int pair = 0; pair < layout.inputHeight / 2; ++pair) {
        for (int half = 0; half < 2; ++half) {
            const int row = layout.lumaRow + pair * 2 + half;
            if (row < 0 || row >= layout.height) continue;
            std::memcpy(y + row * layout.width + luma.target, inY + (pair * 2 + half) * inWidth + luma.source,
                        static_cast<size_t>(luma.count));
        }
        const int row = layout.chromaRow + pair;
        if (row < 0 || row >= chromaHeight) continue;
        std::memcpy(cb + row * chromaWidth + chroma.target, inU + pair * inChroma + chroma.source,
                    static_cast<size_t>(chroma.count));
        std::memcpy(cr + row * chromaWidth + chroma.target, inV + pair * inChroma + chroma.source,
                    static_cast<size_t>(chroma.count));
    }
}

void PlaceYuy2(const FrameLayout& layout, const std::uint8_t* input, std::uint8_t* frame) {
    const int chromaWidth = layout.width / 2;
    const int chromaHeight = layout.height / 2;
    std::uint8_t* y = frame;
    std::uint8_t* cb = frame + layout.width * layout.height;
    std::uint8_t* cr = cb + chromaWidth * chromaHeight;
    std::memset(y, 0, static_cast<size_t>(layout.width) * layout.height);
    std::memset(cb, 127, static_cast<size_t>(chromaWidth) * chromaHeight * 2);

    const int pairs = layout.inputWidth / 2;
    const int rowBytes = layout.inputWidth * 2;
    for (int pair = 0; pair < layout.inputHeight / 2; ++pair) {
        const std::uint8_t* upper = input + static_cast<size_t>(pair * 2) * rowBytes;
        const std::uint8_t* lower = upper + rowBytes;
        const int upperRow = layout.lumaRow + pair * 2;
        const int chromaRow = layout.chromaRow + pair;
        for (int p = 0; p < pairs; ++p) {
            const int column = layout.lumaColumn + p * 2;
            const int chromaColumn = layout.chromaColumn + p;
            for (int half = 0; half < 2; ++half) {
                const int row = upperRow + half;
                const std::uint8_t* source = (half == 0 ? upper : lower) + p * 4;
                if (row < 0 || row >= layout.height) continue;
                if (column >= 0 && column < layout.width) y[row * layout.width + column] = source[0];
                if (column + 1 >= 0 && column + 1 < layout.width) y[row * layout.width + column + 1] = source[2];
            }
            if (chromaRow >= 0 && chromaRow < chromaHeight && chromaColumn >= 0 && chromaColumn < chromaWidth) {
                cb[chromaRow * chromaWidth + chromaColumn] = upper[p * 4 + 1];
                cr[chromaRow * chromaWidth + chromaColumn] = upper[p * 4 + 3];
            }
        }
    }
}

}  // namespace movanta::videoenc
