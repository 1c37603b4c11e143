// The media probe behind TrxGetFileInfo: libavformat opens the file and the
// media summary gets its container, streams, rates and duration.
#pragma once

#include <string>

#include "engine/records.h"

namespace movanta::engine {

// Index (0-95) and name of a libavcodec codec id in the engine's codec
// table; false for a codec outside the table.
bool CodecTableEntry(int avCodecId, int& index, const char*& name);

// Fills `info` from the file at `path` (UTF-8); false when libavformat
// cannot open the file or find its streams.
bool ProbeMediaFile(const std::string& path, MediaInfo& info);

}  // namespace movanta::engine
