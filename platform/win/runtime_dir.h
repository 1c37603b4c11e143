// The per-user folder for rendezvous files between processes (named event
// locks): $XDG_RUNTIME_DIR/movanta, else /tmp/movanta-<uid>. Created on first
// use with owner-only permissions. Internal to the platform layer.
#pragma once

#include <string>

namespace movanta::win {

// Returns the folder path, or an empty string when it cannot be created.
std::string RuntimeFolder(const char* subfolder);

}  // namespace movanta::win
