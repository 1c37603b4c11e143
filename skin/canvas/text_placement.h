// Where a canvas text goes and its soft halo.
#pragma once

#include <cstddef>
#include <cstdint>

#include "afx/geometry.h"

// The box of a measured text inside `rect` by the format's horizontal
// (DT_CENTER, DT_RIGHT) and vertical (DT_VCENTER, DT_BOTTOM) bits. With
// `soft` the box grows by a pixel on every side for the halo, moves a pixel
// towards the side the text keeps to (left or right, top or bottom; none
// when centred) and is clipped to `rect`.
CRect PlaceTextBox(CSize measured, const CRect& rect, UINT format, bool soft);

// The soft halo: every colour byte becomes (2 × own + right + 2 × above +
// above-right + 2 × below + below-right) / 9, the edges repeating the last
// row or column; alpha bytes (the fourth of 32-bit pixels) stay.
void SoftenPixels(std::uint8_t* pixels, int width, int height, std::size_t stride, int bytesPerPixel);
