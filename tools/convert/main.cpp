// movanta-convert: the command-line front end. Until the conversion engine
// exists it reports the version and the plug-ins registered on this machine.
#include <cstdio>
#include <string>

#include "registry/registry.h"
#include "win/text.h"

namespace {

std::wstring ReadDefault(HKEY parent, const std::wstring& subKey) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    WCHAR text[1024];
    DWORD size = sizeof text;
    DWORD type = 0;
    const LSTATUS status = RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<LPBYTE>(text), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_SZ ? std::wstring(text) : std::wstring();
}

}  // namespace

int main() {
    std::printf("Movanta %s\n", MOVANTA_VERSION);
    HKEY classes = nullptr;
    int count = 0;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID", 0, KEY_READ, &classes) == ERROR_SUCCESS) {
        WCHAR name[256];
        for (DWORD i = 0;; ++i) {
            DWORD length = 256;
            if (RegEnumKeyExW(classes, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            const std::wstring server = ReadDefault(classes, std::wstring(name) + L"\\InprocServer32");
            if (server.empty()) continue;
            if (count++ == 0) std::printf("Registered plug-ins:\n");
            std::printf("  %s %s\n    %s\n", movanta::WideToUtf8(name).c_str(),
                        movanta::WideToUtf8(ReadDefault(classes, name)).c_str(), movanta::WideToUtf8(server).c_str());
        }
        RegCloseKey(classes);
    }
    if (count == 0) std::printf("No plug-ins are registered.\n");
    std::printf("Conversion is not available in this version yet.\n");
    return 0;
}
