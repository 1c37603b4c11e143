#include "registry/hive_location.h"

#include <dlfcn.h>

#include <cstdlib>

namespace movanta::registry {
namespace {

const char* FileName(HiveId hive) {
    switch (hive) {
        case HiveId::ClassesRoot: return "HKEY_CLASSES_ROOT.reg";
        case HiveId::CurrentUser: return "HKEY_CURRENT_USER.reg";
        case HiveId::LocalMachine: return "HKEY_LOCAL_MACHINE.reg";
        case HiveId::Users: return "HKEY_USERS.reg";
    }
    return "unknown.reg";
}

// The folder of the library this code is linked into.
std::string LibraryFolder() {
    Dl_info info {};
    if (dladdr(reinterpret_cast<void*>(&LibraryFolder), &info) == 0 || info.dli_fname == nullptr) return ".";
    const std::string file = info.dli_fname;
    const size_t slash = file.rfind('/');
    return slash == std::string::npos ? std::string(".") : file.substr(0, slash);
}

}  // namespace

std::string HiveFilePath(HiveId hive) {
    if (const char* folder = std::getenv("MOVANTA_REGISTRY_DIR"); folder != nullptr && *folder != '\0') {
        return std::string(folder) + "/" + FileName(hive);
    }
    if (hive == HiveId::CurrentUser) {
        std::string config;
        if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg == '/') {
            config = xdg;
        } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
            config = std::string(home) + "/.config";
        } else {
            config = "/tmp";
        }
        return config + "/movanta/registry/" + FileName(hive);
    }
    static const std::string machineFolder = LibraryFolder() + "/registry";
    return machineFolder + "/" + FileName(hive);
}

}  // namespace movanta::registry
