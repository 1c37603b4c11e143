#include "installed_files.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace movanta::setup {

namespace {

std::vector<fs::path> Listed(const fs::path& listing) {
    std::vector<fs::path> paths;
    std::ifstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty()) paths.emplace_back(line);
    }
    return paths;
}

// Only paths inside the prefix are ever removed, whatever a listing says.
bool Inside(const fs::path& path, const fs::path& prefix) {
    const std::string relative = path.lexically_normal().lexically_relative(prefix).string();
    return !relative.empty() && relative != "." && !relative.starts_with("..");
}

}  // namespace

std::vector<fs::path> RemoveInstalledFiles(const fs::path& prefix) {
    const fs::path record = prefix / "share/movanta";
    std::vector<fs::path> folders = Listed(record / "installed-folders.txt");
    std::error_code error;
    for (const fs::path& file : Listed(record / "installed-files.txt")) {
        if (Inside(file, prefix)) fs::remove(file, error);
    }
    // The installation's registry store goes with it.
    fs::remove_all(prefix / "lib/movanta/registry", error);
    return folders;
}

void RemoveEmptyFolders(std::vector<fs::path> folders, const fs::path& prefix) {
    std::error_code error;
    std::sort(folders.begin(), folders.end(),
              [](const fs::path& a, const fs::path& b) { return a.string().size() > b.string().size(); });
    for (const fs::path& folder : folders) {
        if (Inside(folder, prefix) && fs::is_directory(folder, error) && fs::is_empty(folder, error)) {
            fs::remove(folder, error);
        }
    }
}

}  // namespace movanta::setup
