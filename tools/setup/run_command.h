// Running a tool and waiting for it: the cache refreshers and the package
// manager.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace movanta::setup {

// Runs `command` (its first word looked up in PATH unless it is a path)
// and waits for it; its exit status, 128 + the signal's number when a
// signal ended it, nothing when it could not be started.
std::optional<int> RunCommand(std::vector<std::string> command);

}  // namespace movanta::setup
