// The free space of the folder a conversion writes to. The probe can be
// replaced (tests stand in a full disk with it).
#pragma once

#include <cstdint>
#include <string>

namespace movanta::engine {

// Answers false when the space cannot be read.
using FreeSpaceProbe = bool (*)(const std::wstring& folder, std::uint64_t& bytes);

// Null restores the probe of the file system.
void SetFreeSpaceProbe(FreeSpaceProbe probe);
bool FreeSpace(const std::wstring& folder, std::uint64_t& bytes);

}  // namespace movanta::engine
