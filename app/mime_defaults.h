// The desktop's own list of default applications (the XDG MIME
// applications list, mimeapps.list): making a program the user's default
// for some types, and giving the defaults back, without touching any other
// program's entries.
#pragma once

#include <string>
#include <vector>

namespace movanta::app {

// The user's list: $XDG_CONFIG_HOME/mimeapps.list, or ~/.config/mimeapps.list.
std::string UserMimeAppsList();

// Enabling puts `desktopId` first in the "[Default Applications]" entry of
// each type, keeping the programs the entry named behind it, so the
// default it replaces comes back when it is removed; disabling removes
// `desktopId` from those entries (an entry left empty goes) and leaves
// entries without it as they are. Everything else in the file stays as it
// was; the file is replaced atomically and only when something changed.
// False when the file cannot be read (or is larger than any such list) or
// written; it is then unchanged.
bool SetMimeDefaults(const std::string& listPath, const std::vector<std::string>& types, const std::string& desktopId,
                     bool enable);

}  // namespace movanta::app
