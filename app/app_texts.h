// The application's texts: everything a person reads comes from langtext by
// its number.
#pragma once

#include <string>

#include "gdi/wingdi.h"

namespace movanta::app {

// The text of `id`, or the empty string when langtext has none.
LPCWSTR TextOf(int id);
// A button text's caption: the part before its line feed (the rest is the
// tool tip).
std::wstring CaptionOf(int id);

// Colours of the texts drawn on the skin.
inline constexpr COLORREF kWhite = 0xFFFFFF;
inline constexpr COLORREF kBlack = 0x000000;
inline constexpr COLORREF kRed = 0x0000FF;
inline constexpr COLORREF kGrey = 0x7D7D7D;

}  // namespace movanta::app
