#include "engine/free_space.h"

#include <atomic>

#include "win/files.h"

namespace movanta::engine {
namespace {

bool FileSystemFreeSpace(const std::wstring& folder, std::uint64_t& bytes) {
    ULARGE_INTEGER free {};
    if (!GetDiskFreeSpaceExW(folder.c_str(), &free, nullptr, nullptr)) return false;
    bytes = free.QuadPart;
    return true;
}

std::atomic<FreeSpaceProbe> g_probe {FileSystemFreeSpace};

}  // namespace

void SetFreeSpaceProbe(FreeSpaceProbe probe) {
    g_probe = probe == nullptr ? FileSystemFreeSpace : probe;
}

bool FreeSpace(const std::wstring& folder, std::uint64_t& bytes) {
    return g_probe.load()(folder, bytes);
}

}  // namespace movanta::engine
