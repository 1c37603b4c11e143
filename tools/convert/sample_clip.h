// The built-in sample: a short clip this program makes itself, so a first
// run has something to convert. MPEG-4 Part 2 pictures of moving colour
// bars and MP3 sound of a gliding tone in an AVI file.
#pragma once

#include <string>

namespace movanta::convert {

// Writes `seconds` of the sample to `path`; false with the reason in `error`.
bool MakeSampleClip(const std::string& path, int seconds, std::string& error);

}  // namespace movanta::convert
