#include "registry_key.h"

#include <vector>

namespace {

bool IsPredefinedRoot(HKEY root) {
    return root == HKEY_CLASSES_ROOT || root == HKEY_CURRENT_USER || root == HKEY_LOCAL_MACHINE || root == HKEY_USERS;
}

// Closes a key when it goes out of scope.
class ScopedKey {
public:
    explicit ScopedKey(HKEY key) : m_key(key) {}
    ~ScopedKey() {
        if (m_key != nullptr) RegCloseKey(m_key);
    }
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;
    HKEY Get() const { return m_key; }

private:
    HKEY m_key;
};

}  // namespace

BOOL CRegistryKey::SetRootKey(HKEY root) {
    if (!IsPredefinedRoot(root)) return FALSE;
    m_root = root;
    return TRUE;
}

BOOL CRegistryKey::OpenKey(LPCWSTR path, BOOL create) {
    if (path == nullptr || *path == 0) {
        m_subKey.Empty();
        m_lastError = 0;
        return TRUE;
    }
    HKEY key = nullptr;
    const LSTATUS status = create ? RegCreateKeyExW(m_root, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                    KEY_ALL_ACCESS, nullptr, &key, nullptr)
                                  : RegOpenKeyExW(m_root, path, 0, KEY_ALL_ACCESS, &key);
    m_lastError = status;
    if (status != ERROR_SUCCESS) return FALSE;
    RegCloseKey(key);
    m_subKey = path;
    return TRUE;
}

HKEY CRegistryKey::Open() {
    HKEY key = nullptr;
    m_lastError = RegOpenKeyExW(m_root, m_subKey.Wide().c_str(), 0, KEY_ALL_ACCESS, &key);
    return m_lastError == ERROR_SUCCESS ? key : nullptr;
}

LONG CRegistryKey::Done(LSTATUS status) {
    m_lastError = status;
    return status == ERROR_SUCCESS ? 0 : 1;
}

LONG CRegistryKey::ReadString(LPCWSTR name, CString& text) {
    const ScopedKey key(Open());
    if (key.Get() == nullptr) return 1;
    DWORD type = REG_NONE;
    DWORD size = 0;
    LSTATUS status = RegQueryValueExW(key.Get(), name, nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS) return Done(status);
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || size > kLongestText * sizeof(WCHAR)) {
        return Done(ERROR_MORE_DATA);
    }
    std::vector<WCHAR> buffer(size / sizeof(WCHAR) + 1, 0);
    DWORD capacity = size;
    status = RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<LPBYTE>(buffer.data()), &capacity);
    if (status != ERROR_SUCCESS) return Done(status);
    buffer[capacity / sizeof(WCHAR)] = 0;  // a stored text may lack its zero
    text = buffer.data();
    return Done(status);
}

LONG CRegistryKey::WriteString(LPCWSTR name, LPCWSTR text) {
    const std::wstring_view value(text != nullptr ? text : L"");
    if (value.size() >= static_cast<size_t>(kWriteLimit)) return Done(ERROR_INVALID_PARAMETER);
    const ScopedKey key(Open());
    if (key.Get() == nullptr) return 1;
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR));
    const LSTATUS status = RegSetValueExW(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.data()), bytes);
    if (status == ERROR_SUCCESS && !m_noFlush) RegFlushKey(key.Get());
    return Done(status);
}

LONG CRegistryKey::ReadNumber(LPCWSTR name, DWORD& value) {
    const ScopedKey key(Open());
    if (key.Get() == nullptr) return 1;
    DWORD read = 0;
    DWORD size = sizeof read;
    const LSTATUS status = RegQueryValueExW(key.Get(), name, nullptr, nullptr, reinterpret_cast<LPBYTE>(&read), &size);
    if (status == ERROR_SUCCESS) value = read;
    return Done(status);
}

LONG CRegistryKey::WriteNumber(LPCWSTR name, DWORD value) {
    const ScopedKey key(Open());
    if (key.Get() == nullptr) return 1;
    const LSTATUS status =
        RegSetValueExW(key.Get(), name, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&value), sizeof value);
    if (status == ERROR_SUCCESS && !m_noFlush) RegFlushKey(key.Get());
    return Done(status);
}

LONG CRegistryKey::DeleteValue(LPCWSTR name) {
    const ScopedKey key(Open());
    if (key.Get() == nullptr) return 1;
    return Done(RegDeleteValueW(key.Get(), name));
}
