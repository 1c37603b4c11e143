// Where each hive's file lives. Internal to the registry.
#pragma once

#include <string>

namespace movanta::registry {

enum class HiveId { ClassesRoot, CurrentUser, LocalMachine, Users };

// Read anew on every call, so a changed MOVANTA_REGISTRY_DIR takes effect.
std::string HiveFilePath(HiveId hive);

}  // namespace movanta::registry
