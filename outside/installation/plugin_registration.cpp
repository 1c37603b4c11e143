#include "plugin_registration.h"

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "com/comapi.h"
#include "com/factory.h"
#include "com/server_file.h"
#include "registry/registry_strings.h"
#include "win/text.h"

namespace movanta::installation {
namespace {

namespace fs = std::filesystem;

struct ModuleCloser {
    void operator()(void* module) const { dlclose(module); }
};
using Module = std::unique_ptr<void, ModuleCloser>;

// True when each class of the plug-in's table names `path` as its server.
// A file without a class table or registration entry is no plug-in of ours
// (libamr.so, which the AMR filters load): it counts as registered.
bool IsRegistered(const std::string& path) {
    const Module module(dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL));
    if (!module) return false;
    const auto* templates = static_cast<const CFactoryTemplate*>(dlsym(module.get(), "g_Templates"));
    const auto* count = static_cast<const int*>(dlsym(module.get(), "g_cTemplates"));
    if (templates == nullptr || count == nullptr || dlsym(module.get(), "DllRegisterServer") == nullptr) return true;
    for (int i = 0; i < *count; ++i) {
        if (templates[i].m_ClsID == nullptr) continue;
        const std::wstring server = Utf8ToWide("CLSID\\" + GuidToString(*templates[i].m_ClsID) + "\\InprocServer32");
        if (ReadRegString(HKEY_CLASSES_ROOT, server, nullptr) != Utf8ToWide(path)) return false;
    }
    return true;
}

}  // namespace

RegistrationCheck CheckAndRegisterPlugins(const std::string& folder) {
    RegistrationCheck check;
    std::vector<std::string> plugins;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.path().extension() != ".so") continue;
        const fs::path real = fs::canonical(entry.path(), error);
        if (!error) plugins.push_back(real.string());
    }
    std::sort(plugins.begin(), plugins.end());
    for (const std::string& plugin : plugins) {
        if (IsRegistered(plugin)) continue;
        std::string message;
        switch (RegisterServerFile(plugin, true, message)) {
            case ServerFileResult::Done: check.registered.push_back(plugin); break;
            case ServerFileResult::NoEntryPoint: break;
            default: check.failures.push_back(message); break;
        }
    }
    return check;
}

}  // namespace movanta::installation
