// The readable box tree of an ISO base media file, as mp4dump prints it.
#pragma once

#include <string>

#include "box_reader.h"

namespace mp4file {

// Box tree with the fields that matter; false when the file cannot be read
// or is damaged (what could be read is still described).
bool DumpFile(const std::string& path, std::string& out);

}  // namespace mp4file
