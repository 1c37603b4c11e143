// The desktop's caches of the installation's prefix: the MIME-type cache
// of share/applications (which entries open which types) and the icon
// cache of share/icons/hicolor. Refreshed where the tools that make them
// are installed, so that the desktop finds the entry and the icon at once.
#pragma once

#include <filesystem>

namespace movanta::setup {

void RefreshDesktopCaches(const std::filesystem::path& prefix);
// After an uninstall: refreshes the caches, then removes a cache whose
// folder no longer holds anything it describes.
void RefreshOrDropDesktopCaches(const std::filesystem::path& prefix);

}  // namespace movanta::setup
