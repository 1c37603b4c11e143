// The canvas's own picture, made from the skin's IMAGE and MASK.
#pragma once

#include "afx/geometry.h"
#include "gdi/wingdi.h"

struct CanvasPicture {
    HBITMAP picture = nullptr;  // the caller deletes it
    bool perPixel = false;      // alpha from the mask
    CRect opaque;               // the bounding box of the fully opaque pixels
};

// With a mask of the image's size: a 32-bit picture with the image's colours
// and the mask's pixel byte (its grey level for masks deeper than 8 bits) as
// alpha. Without one: a copy of the image, opaque everywhere. A mask of
// another size is refused (null picture).
CanvasPicture BuildCanvasPicture(HBITMAP image, HBITMAP mask);
// The bounding box of the pixels of a 32-bit picture whose alpha is 255;
// empty when there is none.
CRect OpaqueBox(HBITMAP picture);
