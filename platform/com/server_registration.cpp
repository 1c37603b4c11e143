#include <string>

#include "com/server.h"
#include "registry/registry_strings.h"
#include "win/text.h"

namespace {

std::wstring ClassKey(REFCLSID clsid) {
    return L"CLSID\\" + movanta::Utf8ToWide(movanta::GuidToString(clsid));
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
    status = movanta::WriteRegString(classKey, nullptr, description);
    if (status == ERROR_SUCCESS) {
        status = RegCreateKeyExW(classKey, serverType, 0, nullptr, 0, KEY_WRITE, nullptr, &serverKey, nullptr);
    }
    if (status == ERROR_SUCCESS) {
        status = movanta::WriteRegString(serverKey, nullptr, fileName);
        if (status == ERROR_SUCCESS && threadingModel != nullptr) {
            status = movanta::WriteRegString(serverKey, L"ThreadingModel", threadingModel);
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
