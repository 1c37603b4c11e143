// Regions as sets of disjoint rectangles. Combining cuts the plane along
// every edge of both operands and keeps the cells the operation selects,
// joined again into bands of rectangles.
#include <algorithm>

#include "gdi/gdi_objects.h"

using namespace movanta::gdi;

namespace {

bool Contains(const std::vector<RECT>& rects, LONG x, LONG y) {
    const POINT point {x, y};
    return std::any_of(rects.begin(), rects.end(), [&](const RECT& rect) { return PtInRect(&rect, point); });
}

std::vector<LONG> Edges(const std::vector<RECT>& a, const std::vector<RECT>& b, bool horizontal) {
    std::vector<LONG> edges;
    for (const auto* list : {&a, &b}) {
        for (const RECT& rect : *list) {
            edges.push_back(horizontal ? rect.left : rect.top);
            edges.push_back(horizontal ? rect.right : rect.bottom);
        }
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    return edges;
}

bool Selects(int op, bool inA, bool inB) {
    switch (op) {
        case RGN_AND: return inA && inB;
        case RGN_OR: return inA || inB;
        case RGN_XOR: return inA != inB;
        case RGN_DIFF: return inA && !inB;
        default: return inA;
    }
}

std::vector<RECT> Combine(const std::vector<RECT>& a, const std::vector<RECT>& b, int op) {
    const std::vector<LONG> xs = Edges(a, b, true);
    const std::vector<LONG> ys = Edges(a, b, false);
    std::vector<RECT> out;
    for (size_t row = 0; row + 1 < ys.size(); ++row) {
        std::vector<RECT> band;
        for (size_t column = 0; column + 1 < xs.size(); ++column) {
            const LONG x = xs[column];
            const LONG y = ys[row];
            if (!Selects(op, Contains(a, x, y), Contains(b, x, y))) continue;
            if (!band.empty() && band.back().right == x) {
                band.back().right = xs[column + 1];
            } else {
                band.push_back({x, y, xs[column + 1], ys[row + 1]});
            }
        }
        // A band with the same spans as the one above extends it.
        auto above = out.end() - static_cast<std::ptrdiff_t>(std::min(out.size(), band.size()));
        const bool same =
            !band.empty() && static_cast<size_t>(out.end() - above) == band.size() &&
            std::equal(band.begin(), band.end(), above, [&](const RECT& lower, const RECT& upper) {
                return upper.bottom == lower.top && upper.left == lower.left && upper.right == lower.right;
            });
        if (same) {
            for (auto it = above; it != out.end(); ++it) it->bottom = ys[row + 1];
        } else {
            out.insert(out.end(), band.begin(), band.end());
        }
    }
    return out;
}

int KindOf(const Region& region) {
    return region.rects.empty() ? NULLREGION : region.rects.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

}  // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
    auto* region = new Region;
    RECT rect {std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
    if (!IsRectEmpty(&rect)) region->rects.push_back(rect);
    return Register<HRGN>(region);
}

int CombineRgn(HRGN destination, HRGN a, HRGN b, int op) {
    Region* out = Live<Region>(destination, GdiObject::Kind::Region);
    const Region* first = Live<Region>(a, GdiObject::Kind::Region);
    const Region* second = op == RGN_COPY ? first : Live<Region>(b, GdiObject::Kind::Region);
    if (out == nullptr || first == nullptr || second == nullptr || op < RGN_AND || op > RGN_COPY) return RGN_ERROR;
    out->rects = op == RGN_COPY ? first->rects : Combine(first->rects, second->rects, op);
    return KindOf(*out);
}

int GetRgnBox(HRGN handle, RECT* box) {
    const Region* region = Live<Region>(handle, GdiObject::Kind::Region);
    if (region == nullptr || box == nullptr) return RGN_ERROR;
    SetRectEmpty(box);
    for (const RECT& rect : region->rects) UnionRect(box, box, &rect);
    return KindOf(*region);
}

BOOL PtInRegion(HRGN handle, int x, int y) {
    const Region* region = Live<Region>(handle, GdiObject::Kind::Region);
    return region != nullptr && Contains(region->rects, x, y);
}
