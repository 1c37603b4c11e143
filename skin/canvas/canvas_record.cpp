#include "skin/canvas/canvas_record.h"

#include <algorithm>
#include <cstring>

#include "skin/canvas/canvas_picture.h"
#include "skin/canvas/nine_grid.h"
#include "skin/canvas/picture_format.h"

namespace {

void Delete(HBITMAP& picture) {
    if (picture != nullptr) DeleteObject(picture);
    picture = nullptr;
}

// A copy of a picture in its own format.
HBITMAP CopyPicture(HBITMAP handle) {
    const movanta::gdi::Bitmap* source = skinkit::PictureOf(handle);
    if (source == nullptr) return nullptr;
    HBITMAP copy = skinkit::NewPictureLike(*source, CSize(source->width, source->height));
    movanta::gdi::Bitmap* target = skinkit::PictureOf(copy);
    if (target != nullptr) {
        std::memcpy(target->bits.get(), source->bits.get(), source->stride * static_cast<size_t>(source->height));
    }
    return copy;
}

// The part of `rect` inside the picture.
CRect Inside(const CRect& rect, const movanta::gdi::Bitmap& picture) {
    CRect clipped;
    clipped.IntersectRect(rect, CRect(0, 0, picture.width, picture.height));
    return clipped;
}

}  // namespace

CzCanvasRecord::~CzCanvasRecord() {
    ReleaseComposition();
    if (m_background != m_picture) Delete(m_background);
    m_background = nullptr;
    Delete(m_picture);
}

bool CzCanvasRecord::SetPicture(HBITMAP image, HBITMAP mask, DWORD style, const CRect& grid) {
    CanvasPicture built = BuildCanvasPicture(image, mask);
    if (built.picture == nullptr) return false;
    ReleaseComposition();
    if (m_background != m_picture) Delete(m_background);
    m_background = nullptr;
    Delete(m_picture);
    m_picture = built.picture;
    m_perPixel = built.perPixel;
    m_pictureOpaque = built.opaque;
    m_opaque = built.opaque;
    m_style = style;
    const CSize size = PictureSize();
    m_grid = CanvasGrid(grid, size);
    m_design = CRect(m_design.left, m_design.top, m_design.left + size.cx, m_design.top + size.cy);
    return true;
}

CSize CzCanvasRecord::PictureSize() const {
    const movanta::gdi::Bitmap* picture = skinkit::PictureOf(m_picture);
    return picture == nullptr ? CSize(0, 0) : CSize(picture->width, picture->height);
}

bool CzCanvasRecord::Fit(CSize size, bool resizable) {
    const CSize picture = PictureSize();
    if (m_picture == nullptr || picture.cx <= 0) return false;
    if (resizable) {
        size.cx = std::max(size.cx, picture.cx);
        size.cy = std::max(size.cy, picture.cy);
    }
    HBITMAP background = m_picture;
    CRect opaque = m_pictureOpaque;
    if (!(size == picture)) {
        background = StretchNineGrid(m_picture, m_grid, size);
        if (background == nullptr) return false;
        opaque.right += size.cx - picture.cx;
        opaque.bottom += size.cy - picture.cy;
    }
    ReleaseComposition();
    if (m_background != m_picture) Delete(m_background);
    m_background = background;
    m_opaque = opaque;
    m_current = CRect(m_current.left, m_current.top, m_current.left + size.cx, m_current.top + size.cy);
    m_composition = CopyPicture(m_background);
    return m_composition != nullptr;
}

void CzCanvasRecord::ReleaseComposition() {
    Delete(m_composition);
}

bool CzCanvasRecord::DrawBitmap(const CRect& rect, HBITMAP bitmap, int x, int y) {
    movanta::gdi::Bitmap* composition = skinkit::PictureOf(m_composition);
    const movanta::gdi::Bitmap* source = skinkit::PictureOf(bitmap);
    if (composition == nullptr || source == nullptr) return false;
    const CRect area = Inside(rect, *composition);
    const bool opaque = composition->bitCount == 32 && source->bitCount != 32;
    for (int row = area.top; row < area.bottom; ++row) {
        const int sy = y + row - rect.top;
        for (int column = area.left; column < area.right; ++column) {
            const int sx = x + column - rect.left;
            if (sx < 0 || sy < 0 || sx >= source->width || sy >= source->height) continue;
            const movanta::gdi::Pixel pixel = source->Read(sx, sy);
            composition->Write(column, row, opaque ? (pixel | 0xFF000000u) : pixel);
        }
    }
    return true;
}

bool CzCanvasRecord::Clear(const CRect* rect) {
    movanta::gdi::Bitmap* composition = skinkit::PictureOf(m_composition);
    const movanta::gdi::Bitmap* background = skinkit::PictureOf(m_background);
    if (composition == nullptr || background == nullptr) return false;
    if (rect != nullptr && rect->IsRectEmpty()) return true;
    const CRect area = rect != nullptr ? *rect : CRect(0, 0, composition->width, composition->height);
    skinkit::CopyArea(*background, area.TopLeft(), *composition, area);
    return true;
}
