// Texts and icons on the canvas composition.
#include <algorithm>

#include "skin/canvas/canvas_record.h"
#include "skin/canvas/picture_format.h"
#include "skin/canvas/text_placement.h"

namespace {

using movanta::gdi::Bitmap;
using skinkit::CopyArea;
using skinkit::MakeOpaque;

CSize Measure(LPCWSTR text, UINT format, HFONT font, const CRect& rect) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    RECT measured = rect;
    DrawTextW(dc, text, -1, &measured, format | DT_CALCRECT);
    SelectObject(dc, previous);
    DeleteDC(dc);
    return CSize(measured.right - measured.left, measured.bottom - measured.top);
}

// Draws the text on a picture with a transparent background.
void Write(HBITMAP picture, LPCWSTR text, CRect box, UINT format, COLORREF colour, HFONT font) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previousPicture = SelectObject(dc, picture);
    HGDIOBJ previousFont = font != nullptr ? SelectObject(dc, font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    DrawTextW(dc, text, -1, &box, format & ~DT_CALCRECT);
    if (previousFont != nullptr) SelectObject(dc, previousFont);
    SelectObject(dc, previousPicture);
    DeleteDC(dc);
}

}  // namespace

bool CzCanvasRecord::DrawIcon(HICON icon, int x, int y) {
    Bitmap* composition = skinkit::PictureOf(m_composition);
    const Bitmap* background = skinkit::PictureOf(m_background);
    const auto* shape = movanta::gdi::Live<movanta::gdi::Icon>(icon, movanta::gdi::GdiObject::Kind::Icon);
    if (composition == nullptr || background == nullptr || shape == nullptr) return false;
    const CRect box(x, y, x + shape->picture.width, y + shape->picture.height);
    HBITMAP scratch = skinkit::NewPictureLike(*composition, box.Size());
    Bitmap* work = skinkit::PictureOf(scratch);
    if (work == nullptr) return false;
    CopyArea(*background, box.TopLeft(), *work, CRect(0, 0, box.Width(), box.Height()));
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, scratch);
    DrawIconEx(dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    SelectObject(dc, previous);
    DeleteDC(dc);
    CopyArea(*work, CPoint(0, 0), *composition, box);
    MakeOpaque(*composition, box);
    DeleteObject(scratch);
    return true;
}

bool CzCanvasRecord::DrawText(LPCWSTR text, const CRect& rect, UINT format, COLORREF colour, HFONT font, bool soft,
                              HBITMAP background) {
    Bitmap* composition = skinkit::PictureOf(m_composition);
    if (composition == nullptr) return false;
    if (text == nullptr) return true;
    if (*text == L'\0') text = L" ";
    const CSize measured = Measure(text, format, font, rect);
    const CRect box = PlaceTextBox(measured, rect, format, soft);
    // The background under the text first.
    if (const Bitmap* own = skinkit::PictureOf(background)) {
        CopyArea(*own, CPoint(0, 0), *composition, box);
    } else if (!Clear(&rect)) {
        return false;
    }
    if (box.IsRectEmpty()) return true;
    // The text is drawn on a copy of the box, so that it does not spill over.
    HBITMAP scratch = skinkit::NewPictureLike(*composition, box.Size());
    Bitmap* work = skinkit::PictureOf(scratch);
    if (work == nullptr) return false;
    const CRect local(0, 0, box.Width(), box.Height());
    CopyArea(*composition, box.TopLeft(), *work, local);
    // The text keeps the place it measured at: the halo's box only adds the
    // pixels around it (a box shrunk by the halo would cut the glyphs of a
    // text that reaches the edge of its rectangle).
    CRect inner = PlaceTextBox(measured, rect, format, false);
    inner.OffsetRect(-box.left, -box.top);
    Write(scratch, text, inner, format, colour, font);
    if (soft) {
        const size_t bytes = static_cast<size_t>(work->bitCount / 8);
        if (bytes >= 3) {
            // The filter treats the rows above and below alike, so their order in memory does not matter.
            SoftenPixels(work->bits.get(), work->width, work->height, work->stride, static_cast<int>(bytes));
        }
        Write(scratch, text, inner, format, colour, font);
    }
    CopyArea(*work, CPoint(0, 0), *composition, box);
    MakeOpaque(*composition, box);
    DeleteObject(scratch);
    return true;
}
