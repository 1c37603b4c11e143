// The nine-grid stretch of a canvas picture: the four corners keep their
// size, the edges stretch along their length, the centre both ways.
#pragma once

#include "afx/geometry.h"
#include "gdi/wingdi.h"

struct NineGridSpans {
    int columns[3];  // left, middle, right widths in the target
    int rows[3];     // top, middle, bottom heights in the target
};

// The grid of a picture: `grid` (right and bottom inclusive) when it is not
// empty, else 10 % to 90 % of the picture.
CRect CanvasGrid(const CRect& grid, CSize picture);
// Column widths and row heights of a picture of `picture` size stretched
// to `target` by `grid`.
NineGridSpans NineGrid(CSize picture, const CRect& grid, CSize target);
// A new picture of the target size in the source's pixel format and colour
// table, or null when the source is not a picture or a size is not positive.
HBITMAP StretchNineGrid(HBITMAP source, const CRect& grid, CSize target);
