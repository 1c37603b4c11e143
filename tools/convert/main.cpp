// movanta-convert: the command-line front end. Until the conversion engine
// exists it reports the version and the plug-ins registered on this machine.
#include <cstdio>
#include <string>

#include "registry/registry_strings.h"
#include "win/text.h"

int main() {
    std::printf("Movanta %s\n", MOVANTA_VERSION);
    HKEY classes = nullptr;
    int count = 0;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID", 0, KEY_READ, &classes) == ERROR_SUCCESS) {
        WCHAR name[256];
        for (DWORD i = 0;; ++i) {
            DWORD length = 256;
            if (RegEnumKeyExW(classes, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            const std::wstring server =
                movanta::ReadRegString(classes, std::wstring(name) + L"\\InprocServer32", nullptr).value_or(L"");
            if (server.empty()) continue;
            if (count++ == 0) std::printf("Registered plug-ins:\n");
            std::printf("  %s %s\n    %s\n", movanta::WideToUtf8(name).c_str(),
                        movanta::WideToUtf8(movanta::ReadRegString(classes, name, nullptr).value_or(L"")).c_str(),
                        movanta::WideToUtf8(server).c_str());
        }
        RegCloseKey(classes);
    }
    if (count == 0) std::printf("No plug-ins are registered.\n");
    std::printf("Conversion is not available in this version yet.\n");
    return 0;
}
