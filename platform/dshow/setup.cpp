#include "dshow/setup.h"

#include <algorithm>
#include <cstring>

#include "registry/registry_strings.h"
#include "win/text.h"

namespace movanta::dshow {
namespace {

constexpr WCHAR kExtensions[] = L"Media Type\\Extensions\\";
constexpr size_t kTypeBytes = 2 * sizeof(GUID);
constexpr DWORD kMaxTypeBytes = 64 * kTypeBytes;

std::wstring WideGuid(REFGUID guid) { return Utf8ToWide(GuidToString(guid)); }

std::wstring InstanceFolder() {
    return L"CLSID\\" + WideGuid(CLSID_LegacyAmFilterCategory) + L"\\Instance";
}

LSTATUS SetNumber(HKEY key, LPCWSTR name, DWORD value) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

DWORD ReadNumber(HKEY key, LPCWSTR name) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<LPBYTE>(&value), &size) != ERROR_SUCCESS) {
        return 0;
    }
    return value;
}

HKEY CreateKey(HKEY parent, const std::wstring& path) {
    HKEY key = nullptr;
    return RegCreateKeyExW(parent, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
                   ERROR_SUCCESS
               ? key
               : nullptr;
}

HRESULT WriteFilterData(const AMOVIESETUP_FILTER& filter) {
    const std::wstring path = InstanceFolder() + L"\\" + WideGuid(*filter.clsID);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, path.c_str());
    HKEY key = CreateKey(HKEY_CLASSES_ROOT, path);
    if (key == nullptr) return E_FAIL;
    LSTATUS status = WriteRegString(key, L"FriendlyName", filter.strName == nullptr ? L"" : filter.strName);
    if (status == ERROR_SUCCESS) status = WriteRegString(key, L"CLSID", WideGuid(*filter.clsID));
    if (status == ERROR_SUCCESS) status = SetNumber(key, L"Merit", filter.dwMerit);
    for (UINT i = 0; i < filter.nPins && status == ERROR_SUCCESS; ++i) {
        const AMOVIESETUP_PIN& pin = filter.lpPin[i];
        HKEY pinKey = CreateKey(key, L"Pins\\" + std::to_wstring(i));
        if (pinKey == nullptr) {
            status = ERROR_ACCESS_DENIED;
            break;
        }
        std::vector<BYTE> types(pin.nMediaTypes * kTypeBytes);
        for (UINT t = 0; t < pin.nMediaTypes; ++t) {
            const GUID major = pin.lpMediaType[t].clsMajorType ? *pin.lpMediaType[t].clsMajorType : GUID_NULL;
            const GUID minor = pin.lpMediaType[t].clsMinorType ? *pin.lpMediaType[t].clsMinorType : GUID_NULL;
            std::memcpy(types.data() + t * kTypeBytes, &major, sizeof(GUID));
            std::memcpy(types.data() + t * kTypeBytes + sizeof(GUID), &minor, sizeof(GUID));
        }
        status = WriteRegString(pinKey, L"Name", pin.strName == nullptr ? L"" : pin.strName);
        if (status == ERROR_SUCCESS) status = SetNumber(pinKey, L"Output", pin.bOutput ? 1 : 0);
        if (status == ERROR_SUCCESS) status = SetNumber(pinKey, L"Rendered", pin.bRendered ? 1 : 0);
        if (status == ERROR_SUCCESS) {
            status = RegSetValueExW(pinKey, L"Types", 0, REG_BINARY, types.data(), static_cast<DWORD>(types.size()));
        }
        RegCloseKey(pinKey);
    }
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(static_cast<DWORD>(status));
}

bool ReadPin(HKEY filterKey, const std::wstring& name, RegisteredPin& pin) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(filterKey, (L"Pins\\" + name).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    pin.name = ReadRegString(key, L"", L"Name").value_or(L"");
    pin.output = ReadNumber(key, L"Output") != 0;
    pin.rendered = ReadNumber(key, L"Rendered") != 0;
    DWORD size = 0;
    bool valid = RegQueryValueExW(key, L"Types", nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS &&
                 size % kTypeBytes == 0 && size <= kMaxTypeBytes;
    if (valid && size > 0) {
        std::vector<BYTE> bytes(size);
        valid = RegQueryValueExW(key, L"Types", nullptr, nullptr, bytes.data(), &size) == ERROR_SUCCESS;
        for (size_t at = 0; valid && at + kTypeBytes <= size; at += kTypeBytes) {
            GUID major;
            GUID minor;
            std::memcpy(&major, bytes.data() + at, sizeof(GUID));
            std::memcpy(&minor, bytes.data() + at + sizeof(GUID), sizeof(GUID));
            pin.types.emplace_back(major, minor);
        }
    }
    RegCloseKey(key);
    return valid;
}

bool ReadFilter(HKEY instances, const std::wstring& keyName, RegisteredFilter& filter) {
    auto clsid = GuidFromString(WideToUtf8(keyName));
    if (!clsid) return false;
    HKEY key = nullptr;
    if (RegOpenKeyExW(instances, keyName.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    filter.clsid = *clsid;
    filter.name = ReadRegString(key, L"", L"FriendlyName").value_or(L"");
    filter.merit = ReadNumber(key, L"Merit");
    bool valid = true;
    HKEY pins = nullptr;
    if (RegOpenKeyExW(key, L"Pins", 0, KEY_READ, &pins) == ERROR_SUCCESS) {
        WCHAR name[64];
        for (DWORD i = 0; valid; ++i) {
            DWORD length = 64;
            if (RegEnumKeyExW(pins, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            RegisteredPin pin;
            valid = ReadPin(key, name, pin);
            filter.pins.push_back(std::move(pin));
        }
        RegCloseKey(pins);
    }
    RegCloseKey(key);
    return valid;
}

}  // namespace

HRESULT RegisterFilter(const AMOVIESETUP_FILTER& filter, bool registering) {
    if (filter.clsID == nullptr) return E_INVALIDARG;
    if (registering) return WriteFilterData(filter);
    const std::wstring path = InstanceFolder() + L"\\" + WideGuid(*filter.clsID);
    const LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, path.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : E_FAIL;
}

std::vector<RegisteredFilter> RegisteredFilters() {
    std::vector<RegisteredFilter> filters;
    HKEY instances = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, InstanceFolder().c_str(), 0, KEY_READ, &instances) != ERROR_SUCCESS) {
        return filters;
    }
    WCHAR name[64];
    for (DWORD i = 0;; ++i) {
        DWORD length = 64;
        if (RegEnumKeyExW(instances, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        RegisteredFilter filter;
        if (ReadFilter(instances, name, filter)) filters.push_back(std::move(filter));
    }
    RegCloseKey(instances);
    std::stable_sort(filters.begin(), filters.end(),
                     [](const RegisteredFilter& a, const RegisteredFilter& b) { return a.merit > b.merit; });
    return filters;
}

bool SourceFilterForFile(const std::wstring& file, CLSID& clsid) {
    const size_t separator = file.find_last_of(L"/\\");
    const size_t dot = file.rfind(L'.');
    std::vector<std::wstring> keys;
    if (dot != std::wstring::npos && (separator == std::wstring::npos || dot > separator)) {
        keys.push_back(file.substr(dot));
    }
    keys.emplace_back(L"*");
    for (const std::wstring& extension : keys) {
        const auto text = ReadRegString(HKEY_CLASSES_ROOT, kExtensions + extension, L"Source Filter");
        if (!text) continue;
        if (auto parsed = GuidFromString(WideToUtf8(*text))) {
            clsid = *parsed;
            return true;
        }
    }
    return false;
}

}  // namespace movanta::dshow

HRESULT RegisterSourceExtension(LPCWSTR extension, REFCLSID clsid, BOOL registering) {
    if (extension == nullptr || *extension == L'\0') return E_INVALIDARG;
    const std::wstring path = std::wstring(movanta::dshow::kExtensions) + extension;
    if (!registering) {
        const LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, path.c_str());
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : E_FAIL;
    }
    HKEY key = movanta::dshow::CreateKey(HKEY_CLASSES_ROOT, path);
    if (key == nullptr) return E_FAIL;
    const LSTATUS status = movanta::WriteRegString(key, L"Source Filter", movanta::dshow::WideGuid(clsid));
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? S_OK : E_FAIL;
}
