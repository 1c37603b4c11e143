// What an installation placed, listed one path per line in its prefix:
// the files in share/movanta/installed-files.txt, the folders it created in
// share/movanta/installed-folders.txt.
#pragma once

#include <filesystem>
#include <vector>

namespace movanta::setup {

// Removes every listed file inside `prefix` (the listings included) and
// the installation's registry store; returns the folders it created.
std::vector<std::filesystem::path> RemoveInstalledFiles(const std::filesystem::path& prefix);
// Removes those of `folders` inside `prefix` that are empty, deepest first:
// a folder that holds a file the user added stays.
void RemoveEmptyFolders(std::vector<std::filesystem::path> folders, const std::filesystem::path& prefix);

}  // namespace movanta::setup
