#include "registry/registry_strings.h"

#include <vector>

namespace movanta {

std::optional<std::wstring> ReadRegString(HKEY root, const std::wstring& subKey, LPCWSTR name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    DWORD type = 0;
    DWORD size = 0;
    std::optional<std::wstring> text;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::vector<WCHAR> buffer(size / sizeof(WCHAR) + 1, L'\0');
        if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(buffer.data()), &size) ==
            ERROR_SUCCESS) {
            text = std::wstring(buffer.data());
        }
    }
    RegCloseKey(key);
    return text;
}

LSTATUS WriteRegString(HKEY key, LPCWSTR name, const std::wstring& text) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)));
}

}  // namespace movanta
