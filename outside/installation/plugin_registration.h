// Finding the plug-ins of a folder whose classes are not registered at
// their path, and registering them.
#pragma once

#include <string>
#include <vector>

namespace movanta::installation {

struct RegistrationCheck {
    std::vector<std::string> registered;  // plug-ins that were not, and now are
    std::vector<std::string> failures;    // one message for each that could not be
};

// Every ".so" in `folder` that offers classes (a class table and the
// registration entry point): registers it when any of its classes is not
// registered with the plug-in's real path as its server.
RegistrationCheck CheckAndRegisterPlugins(const std::string& folder);

}  // namespace movanta::installation
