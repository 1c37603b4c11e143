#include "com/server_file.h"

#include <dlfcn.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace movanta {

ServerFileResult RegisterServerFile(const std::string& path, bool registering, std::string& error) {
    using EntryPoint = HRESULT (*)();
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) == nullptr) {
        error = "cannot load " + path + ": " + std::strerror(errno);
        return ServerFileResult::CannotLoad;
    }
    void* module = dlopen(resolved, RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        const char* reason = dlerror();
        error = std::string("cannot load ") + resolved + ": " + (reason != nullptr ? reason : "unknown reason");
        return ServerFileResult::CannotLoad;
    }
    const char* entryName = registering ? "DllRegisterServer" : "DllUnregisterServer";
    auto entry = reinterpret_cast<EntryPoint>(dlsym(module, entryName));
    if (entry == nullptr) {
        error = std::string(resolved) + " has no " + entryName + " entry point";
        return ServerFileResult::NoEntryPoint;
    }
    const HRESULT hr = entry();
    if (FAILED(hr)) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
        error = std::string(entryName) + " in " + resolved + " failed with " + code;
        return ServerFileResult::EntryFailed;
    }
    return ServerFileResult::Done;
}

}  // namespace movanta
