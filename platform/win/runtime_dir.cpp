#include "win/runtime_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace movanta::win {
namespace {

bool MakeFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) {
        struct stat info {};
        return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid();
    }
    return false;
}

}  // namespace

std::string RuntimeFolder(const char* subfolder) {
    std::string base;
    if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg != nullptr && *xdg == '/') {
        base = std::string(xdg) + "/movanta";
    } else {
        base = "/tmp/movanta-" + std::to_string(geteuid());
    }
    if (!MakeFolder(base)) return {};
    const std::string folder = base + "/" + subfolder;
    return MakeFolder(folder) ? folder : std::string();
}

}  // namespace movanta::win
