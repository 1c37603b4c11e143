// New pictures in the format of others. Internal to the skin library.
#pragma once

#include <cstdint>

#include "afx/geometry.h"
#include "gdi/gdi_objects.h"

namespace skinkit {

// A picture of `size` with the bit depth, row order and colour table of
// `like`; null when it cannot be made.
HBITMAP NewPictureLike(const movanta::gdi::Bitmap& like, CSize size);
// A top-down 32-bit picture of `size` and its pixels (0xAARRGGBB); null
// when it cannot be made.
HBITMAP NewPicture32(CSize size, std::uint32_t*& pixels);
// The live picture behind a handle, or null.
movanta::gdi::Bitmap* PictureOf(HBITMAP picture);
// Copies `area` of `to` from `from` at `origin`; pixels outside either
// picture are left alone.
void CopyArea(const movanta::gdi::Bitmap& from, CPoint origin, movanta::gdi::Bitmap& to, const CRect& area);
// Full alpha over the box on a picture that has alpha.
void MakeOpaque(movanta::gdi::Bitmap& picture, const CRect& box);

}  // namespace skinkit
