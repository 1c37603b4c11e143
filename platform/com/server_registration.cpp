#include <cstring>
#include <string>

#include "com/server.h"
#include "registry/registry.h"
#include "win/text.h"

namespace {

std::wstring ClassKey(REFCLSID clsid) { return L"CLSID\\" + movanta::Utf8ToWide(movanta::GuidToString(clsid)); }

LSTATUS SetString(HKEY key, LPCWSTR name, LPCWSTR text) {
    const DWORD bytes = static_cast<DWORD>((std::wcslen(text) + 1) * sizeof(WCHAR));
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
}

}  // namespace

HRESULT AMovieSetupRegisterServer(REFCLSID clsid, LPCWSTR description, LPCWSTR fileName, LPCWSTR threadingModel,
                                  LPCWSTR serverType) {
    if (description == nullptr || fileName == nullptr || serverType == nullptr) return E_INVALIDARG;
    HKEY classKey = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_CLASSES_ROOT, ClassKey(clsid).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                     &classKey, nullptr);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    HKEY serverKey = nullptr;
    status = SetString(classKey, nullptr, description);
    if (status == ERROR_SUCCESS) {
        status = RegCreateKeyExW(classKey, serverType, 0, nullptr, 0, KEY_WRITE, nullptr, &serverKey, nullptr);
    }
    if (status == ERROR_SUCCESS) {
        status = SetString(serverKey, nullptr, fileName);
        if (status == ERROR_SUCCESS && threadingModel != nullptr) {
            status = SetString(serverKey, L"ThreadingModel", threadingModel);
        }
        RegCloseKey(serverKey);
    }
    RegCloseKey(classKey);
    return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status);
}

HRESULT AMovieSetupUnregisterServer(REFCLSID clsid) {
    const LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, ClassKey(clsid).c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(status);
}
