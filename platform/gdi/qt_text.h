// The Qt side of text: a GUI application for the font engine (offscreen
// when the process has none and no display), fonts from LOGFONTW, and
// painting on a copy of part of a bitmap.
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>

#include "gdi/pixel_ops.h"

namespace movanta::gdi {

struct Font final : GdiObject {
    Font(const LOGFONTW& logFont, const QFont& font) : GdiObject(Kind::Font), logFont(logFont), font(font) {}
    LOGFONTW logFont;
    QFont font;
};

// Makes sure Qt can lay out and draw text in this process: makes the Qt
// application, through the maker when one is set (the desktop library sets
// one for a widgets application), else as a plain GUI application.
void EnsureGui();
using ApplicationMaker = void (*)(int& argc, char** argv);
void SetApplicationMaker(ApplicationMaker maker);
QFont MakeFont(const LOGFONTW& logFont);
QFont DefaultFont();

// The pixels of `area` (inside the bitmap) as an opaque image, and back.
QImage CopyOut(const Bitmap& bitmap, const QRect& area);
// Writes the colours back; each pixel keeps its alpha byte.
void CopyIn(Bitmap& bitmap, const QRect& area, const QImage& image);

// Paints with Qt on the part of the bitmap that `touched` covers, in the
// bitmap's own coordinates: the part is copied out, painted and copied back.
template <class Draw>
void PaintOn(Bitmap& bitmap, const QRect& touched, Draw draw) {
    int x = touched.x();
    int y = touched.y();
    int width = touched.width();
    int height = touched.height();
    if (!ClipTo(bitmap, x, y, width, height)) return;
    const QRect area(x, y, width, height);
    QImage copy = CopyOut(bitmap, area);
    {
        QPainter painter(&copy);
        painter.translate(-area.x(), -area.y());
        draw(painter);
    }
    CopyIn(bitmap, area, copy);
}

}  // namespace movanta::gdi
