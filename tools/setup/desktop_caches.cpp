#include "desktop_caches.h"

#include <cstdio>
#include <string>
#include <vector>

#include "run_command.h"

namespace fs = std::filesystem;

namespace movanta::setup {
namespace {

struct Cache {
    const char* folder;  // under the prefix
    const char* file;    // the cache, in that folder
    std::vector<std::string> command;  // the folder is added last
};

const std::vector<Cache>& Caches() {
    static const std::vector<Cache> caches = {
        {"share/applications", "mimeinfo.cache", {"update-desktop-database", "-q"}},
        {"share/icons/hicolor", "icon-theme.cache", {"gtk-update-icon-cache", "-q", "-t", "-f"}},
    };
    return caches;
}

// Runs the tool when it is installed; a missing tool is no error.
void Run(std::vector<std::string> command, const fs::path& folder) {
    command.push_back(folder.string());
    const std::optional<int> status = RunCommand(command);
    if (status && *status != 0) {
        std::fprintf(stderr, "movanta-setup: %s could not refresh %s\n", command[0].c_str(), folder.c_str());
    }
}

// True when the folder holds a file other than its cache, at any depth.
bool DescribesSomething(const fs::path& folder, const char* cache) {
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(folder, error)) {
        if (!entry.is_directory(error) && entry.path() != folder / cache) return true;
    }
    return false;
}

}  // namespace

void RefreshDesktopCaches(const fs::path& prefix) {
    for (const Cache& cache : Caches()) {
        const fs::path folder = prefix / cache.folder;
        if (fs::is_directory(folder)) Run(cache.command, folder);
    }
}

void RefreshOrDropDesktopCaches(const fs::path& prefix) {
    for (const Cache& cache : Caches()) {
        const fs::path folder = prefix / cache.folder;
        if (!fs::is_directory(folder)) continue;
        if (DescribesSomething(folder, cache.file)) {
            Run(cache.command, folder);
        } else {
            std::error_code error;
            fs::remove(folder / cache.file, error);
        }
    }
}

}  // namespace movanta::setup
