// The surface behind a window, for the drawing layer's own use.
#pragma once

#include "gdi/gdi_objects.h"

namespace movanta::gdi {

// The window's surface at its current client size, made or resized when
// needed; null for no window.
Bitmap* WritableSurfaceOf(HWND window);

}  // namespace movanta::gdi
