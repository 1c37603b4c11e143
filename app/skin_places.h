// The named places and pictures a skin section gives the application's
// windows: custom keys holding a "POS:" tag, or a picture's name.
#pragma once

#include "afx/geometry.h"
#include "skin/package/skin_parser.h"

namespace movanta::app {

// The rectangle of the key's "POS:" tag; empty when there is none.
CRect NamedRect(const CzSkinParser& parser, const WCHAR* key);
// A new bitmap (the caller's) of the picture the key names; throws the
// parser's resourceNotFound when the package lacks it.
HBITMAP NamedPicture(const CzSkinParser& parser, const WCHAR* key);

}  // namespace movanta::app
