// The associations of ".3gp" and ".mp4" with Movanta: the registry's
// pointers to the "Movanta.3GP" and "Movanta.MP4" program ids, and the
// desktop's default application for their types.
#pragma once

namespace movanta::app {

// The desktop entry the desktop's defaults name.
inline constexpr const char* kDesktopEntry = "movanta.desktop";

// Enabling: the user's shell choice ("FileExts\<ext>\ProgID", only where
// it already exists) and the class key's default value point at Movanta's
// program ids, the class key's previous default kept as "Movanta.BAK"; the
// desktop's default for video/3gpp and video/mp4 becomes Movanta, ahead of
// the program it replaces. Disabling: the shell choice is deleted, the
// class key's default is emptied where it is Movanta's ("Movanta.BAK"
// stays), and Movanta leaves the desktop's defaults, which fall back to
// what they were. Then the shell is told that associations changed.
void ApplyFileAssociations(bool enable);

}  // namespace movanta::app
