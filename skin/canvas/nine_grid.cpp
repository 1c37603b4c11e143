#include "skin/canvas/nine_grid.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "skin/canvas/picture_format.h"

namespace {

using movanta::gdi::Bitmap;

// The source coordinate for a target coordinate along one axis: pieces of
// the target map onto pieces of the source (nearest pixel).
std::vector<int> SourceIndex(int sourceLength, int first, int last, const int (&spans)[3]) {
    const int sourceSpans[3] = {first, last - first + 1, sourceLength - last - 1};
    std::vector<int> index;
    int sourceStart = 0;
    for (int piece = 0; piece < 3; ++piece) {
        for (int i = 0; i < spans[piece]; ++i) {
            const int offset = sourceSpans[piece] <= 0 ? 0 : i * sourceSpans[piece] / spans[piece];
            index.push_back(std::clamp(sourceStart + offset, 0, sourceLength - 1));
        }
        sourceStart += std::max(sourceSpans[piece], 0);
    }
    return index;
}

}  // namespace

CRect CanvasGrid(const CRect& grid, CSize picture) {
    if (!grid.IsRectEmpty()) return grid;
    return CRect(picture.cx * 10 / 100, picture.cy * 10 / 100, picture.cx * 90 / 100, picture.cy * 90 / 100);
}

NineGridSpans NineGrid(CSize picture, const CRect& grid, CSize target) {
    return {{grid.left, grid.right + target.cx - picture.cx - grid.left + 1, picture.cx - grid.right - 1},
            {grid.top, grid.bottom + target.cy - picture.cy - grid.top + 1, picture.cy - grid.bottom - 1}};
}

HBITMAP StretchNineGrid(HBITMAP sourceHandle, const CRect& grid, CSize target) {
    const Bitmap* source = skinkit::PictureOf(sourceHandle);
    if (source == nullptr || target.cx <= 0 || target.cy <= 0) return nullptr;
    const CSize picture(source->width, source->height);
    const NineGridSpans spans = NineGrid(picture, grid, target);
    for (int span :
         {spans.columns[0], spans.columns[1], spans.columns[2], spans.rows[0], spans.rows[1], spans.rows[2]}) {
        if (span < 0) return nullptr;  // a grid outside the picture or a target smaller than the corners
    }
    HBITMAP result = skinkit::NewPictureLike(*source, target);
    Bitmap* stretched = skinkit::PictureOf(result);
    if (stretched == nullptr) return nullptr;
    const std::vector<int> columns = SourceIndex(picture.cx, grid.left, grid.right, spans.columns);
    const std::vector<int> rows = SourceIndex(picture.cy, grid.top, grid.bottom, spans.rows);
    const int bytes = source->bitCount / 8;
    for (int y = 0; y < target.cy; ++y) {
        const std::uint8_t* from = source->Row(rows[static_cast<size_t>(y)]);
        std::uint8_t* to = stretched->Row(y);
        for (int x = 0; x < target.cx; ++x) {
            const int sx = columns[static_cast<size_t>(x)];
            if (bytes > 0) {
                std::memcpy(to + static_cast<size_t>(x) * bytes, from + static_cast<size_t>(sx) * bytes,
                            static_cast<size_t>(bytes));
            } else {
                stretched->SetIndex(x, y, source->Index(sx, rows[static_cast<size_t>(y)]));
            }
        }
    }
    return result;
}
