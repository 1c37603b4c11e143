#include "installation.h"

#include <dlfcn.h>

#include <atomic>
#include <string>

#include "media_check.h"
#include "plugin_registration.h"
#include "win/debug.h"

namespace {

// The plug-ins lie in "plugins" beside this library, in the application's
// folder, wherever the installation has been moved.
std::string PluginFolder() {
    Dl_info info {};
    if (dladdr(reinterpret_cast<void*>(&PluginFolder), &info) == 0 || info.dli_fname == nullptr) return "plugins";
    const std::string file = info.dli_fname;
    const size_t slash = file.rfind('/');
    return (slash == std::string::npos ? std::string(".") : file.substr(0, slash)) + "/plugins";
}

}  // namespace

extern "C" __attribute__((visibility("default"))) BOOL ZINTChkAndRegFiles() {
    static std::atomic<bool> reported {false};
    const movanta::installation::RegistrationCheck check =
        movanta::installation::CheckAndRegisterPlugins(PluginFolder());
    for (const std::string& plugin : check.registered) {
        OutputDebugStringA(("Installation: registered " + plugin + "\n").c_str());
    }
    if (!check.failures.empty() && !reported.exchange(true)) {
        for (const std::string& failure : check.failures) {
            OutputDebugStringA(("Installation: cannot register a plug-in: " + failure + "\n").c_str());
        }
    }
    return check.failures.empty() ? TRUE : FALSE;
}

extern "C" __attribute__((visibility("default"))) DWORD ZINTChkDirectX() {
    const movanta::installation::MediaCheck check = movanta::installation::CheckMediaLayer();
    if (check.level < movanta::installation::kMediaLayerWorks) {
        OutputDebugStringA(("Installation: the media layer does not work: " + check.reason + "\n").c_str());
    }
    return check.level;
}
