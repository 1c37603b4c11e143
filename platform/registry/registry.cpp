#include "registry/registry.h"

#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <optional>

#include "registry/hive_location.h"
#include "registry/hive_store.h"
#include "win/text.h"

namespace movanta::registry {
namespace {

struct KeyRef {
    HiveId hive;
    KeyPath path;
};

struct State {
    std::mutex lock;
    std::map<std::string, std::unique_ptr<HiveStore>> stores;  // by file path
    std::map<ULONG_PTR, KeyRef> openKeys;                      // by handle value
    ULONG_PTR nextHandle = 0x1000;
};

State& Registry() {
    static State state;
    return state;
}

HiveStore& StoreFor(HiveId hive) {
    const std::string path = HiveFilePath(hive);
    State& state = Registry();
    std::lock_guard guard(state.lock);
    auto& store = state.stores[path];
    if (!store) store = std::make_unique<HiveStore>(path);
    return *store;
}

std::optional<HiveId> PredefinedHive(HKEY key) {
    if (key == HKEY_CLASSES_ROOT) return HiveId::ClassesRoot;
    if (key == HKEY_CURRENT_USER) return HiveId::CurrentUser;
    if (key == HKEY_LOCAL_MACHINE) return HiveId::LocalMachine;
    if (key == HKEY_USERS) return HiveId::Users;
    return std::nullopt;
}

// Resolves a handle plus an optional sub-path to a hive and a full key path.
LSTATUS Resolve(HKEY key, std::string_view subKey, KeyRef& out) {
    if (auto hive = PredefinedHive(key)) {
        out = {*hive, {}};
    } else {
        State& state = Registry();
        std::lock_guard guard(state.lock);
        auto it = state.openKeys.find(reinterpret_cast<ULONG_PTR>(key));
        if (it == state.openKeys.end()) return ERROR_INVALID_HANDLE;
        out = it->second;
    }
    auto below = SplitKeyPath(subKey);
    if (!below) return ERROR_INVALID_PARAMETER;
    out.path.insert(out.path.end(), below->begin(), below->end());
    return ERROR_SUCCESS;
}

std::string Narrow(LPCWSTR text) {
    return text == nullptr ? std::string() : WideToUtf8(text);
}

// Runs `read` on the key when it exists; otherwise answers `missing`.
LSTATUS ReadKey(const KeyRef& ref, LSTATUS missing, const std::function<LSTATUS(const Key&)>& read) {
    LSTATUS result = missing;
    StoreFor(ref.hive).Read([&](const Key& root) {
        if (const Key* key = Find(root, ref.path)) result = read(*key);
    });
    return result;
}

// Runs `change` on an existing key under the hive's write lock; the hive is
// saved when the change succeeds and reports that it modified the key.
LSTATUS ChangeKey(const KeyRef& ref, const std::function<LSTATUS(Key&, bool& modified)>& change) {
    LSTATUS result = ERROR_SUCCESS;
    const LONG saved = StoreFor(ref.hive).Write([&](Key& root) {
        Key* key = Find(root, ref.path);
        if (key == nullptr) {
            result = ref.path.empty() ? ERROR_FILE_NOT_FOUND : ERROR_KEY_DELETED;
            return false;
        }
        bool modified = false;
        result = change(*key, modified);
        return result == ERROR_SUCCESS && modified;
    });
    return result == ERROR_SUCCESS ? saved : result;
}

HKEY NewHandle(KeyRef ref) {
    State& state = Registry();
    std::lock_guard guard(state.lock);
    const ULONG_PTR value = state.nextHandle;
    state.nextHandle += 4;
    state.openKeys.emplace(value, std::move(ref));
    return reinterpret_cast<HKEY>(value);
}

bool IsString(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

// The stored form of data handed to a setter: strings become UTF-8 text up
// to the first zero; other types are kept as bytes.
std::vector<BYTE> Stored(DWORD type, const BYTE* data, DWORD size, bool wide) {
    if (!IsString(type)) return std::vector<BYTE>(data, data + size);
    std::string text;
    if (wide) {
        std::wstring chars(size / sizeof(WCHAR), L'\0');
        std::memcpy(chars.data(), data, chars.size() * sizeof(WCHAR));
        text = WideToUtf8(chars.c_str());
    } else {
        text.assign(reinterpret_cast<const char*>(data), size);
        text = text.c_str();
    }
    return std::vector<BYTE>(text.begin(), text.end());
}

// The form handed to a reader: strings with a terminating zero, as wide or
// narrow characters.
std::vector<BYTE> Presented(const Value& value, bool wide) {
    if (!IsString(value.type)) return value.data;
    const std::string text(value.data.begin(), value.data.end());
    if (!wide) {
        std::vector<BYTE> out(text.begin(), text.end());
        out.push_back(0);
        return out;
    }
    const std::wstring chars = Utf8ToWide(text);
    std::vector<BYTE> out((chars.size() + 1) * sizeof(WCHAR), 0);
    std::memcpy(out.data(), chars.data(), chars.size() * sizeof(WCHAR));
    return out;
}

LSTATUS QueryValue(HKEY key, std::string_view subKey, const std::string& name, LPDWORD type, LPBYTE data,
                   LPDWORD dataSize, bool wide) {
    if (data != nullptr && dataSize == nullptr) return ERROR_INVALID_PARAMETER;
    KeyRef ref;
    if (LSTATUS status = Resolve(key, subKey, ref); status != ERROR_SUCCESS) return status;
    const LSTATUS missingKey = subKey.empty() && !PredefinedHive(key) ? ERROR_KEY_DELETED : ERROR_FILE_NOT_FOUND;
    return ReadKey(ref, missingKey, [&](const Key& found) -> LSTATUS {
        const Value* value = const_cast<Key&>(found).FindValue(name);
        if (value == nullptr) return ERROR_FILE_NOT_FOUND;
        const std::vector<BYTE> bytes = Presented(*value, wide);
        const auto needed = static_cast<DWORD>(bytes.size());
        if (type != nullptr) *type = value->type;
        if (dataSize == nullptr) return ERROR_SUCCESS;
        if (data != nullptr && *dataSize < needed) {
            *dataSize = needed;
            return ERROR_MORE_DATA;
        }
        if (data != nullptr && needed > 0) std::memcpy(data, bytes.data(), needed);
        *dataSize = needed;
        return ERROR_SUCCESS;
    });
}

LSTATUS DeleteKey(HKEY key, LPCWSTR subKey, bool tree) {
    KeyRef ref;
    if (LSTATUS status = Resolve(key, Narrow(subKey), ref); status != ERROR_SUCCESS) return status;
    if (ref.path.empty()) return ERROR_ACCESS_DENIED;  // a hive's root cannot go
    const std::string leaf = ref.path.back();
    KeyRef parent = ref;
    parent.path.pop_back();
    LSTATUS result = ERROR_SUCCESS;
    const LONG saved = StoreFor(ref.hive).Write([&](Key& root) {
        Key* owner = Find(root, parent.path);
        Key* target = owner == nullptr ? nullptr : owner->FindSubkey(leaf);
        if (target == nullptr) {
            result = ERROR_FILE_NOT_FOUND;
        } else if (!tree && !target->subkeys.empty()) {
            result = ERROR_ACCESS_DENIED;
        } else {
            owner->RemoveSubkey(leaf);
        }
        return result == ERROR_SUCCESS;
    });
    return result == ERROR_SUCCESS ? saved : result;
}

// Copies a name into a caller's buffer sized in characters.
LSTATUS HandOutName(const std::string& name, LPWSTR buffer, LPDWORD length) {
    if (buffer == nullptr || length == nullptr) return ERROR_INVALID_PARAMETER;
    const std::wstring wide = Utf8ToWide(name);
    if (*length <= wide.size()) {
        *length = static_cast<DWORD>(wide.size() + 1);
        return ERROR_MORE_DATA;
    }
    *length = static_cast<DWORD>(CopyToBuffer(wide, buffer, *length));
    return ERROR_SUCCESS;
}

}  // namespace
}  // namespace movanta::registry

using namespace movanta;
using namespace movanta::registry;

LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD, LPWSTR, DWORD, REGSAM, const SECURITY_ATTRIBUTES*,
                        PHKEY result, LPDWORD disposition) {
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    KeyRef ref;
    if (LSTATUS status = Resolve(key, Narrow(subKey), ref); status != ERROR_SUCCESS) return status;
    bool created = false;
    const bool exists = ReadKey(ref, ERROR_FILE_NOT_FOUND, [](const Key&) { return ERROR_SUCCESS; }) == ERROR_SUCCESS;
    if (!exists) {
        const LONG saved = StoreFor(ref.hive).Write([&](Key& root) {
            Key* current = &root;
            for (const std::string& component : ref.path) {
                bool made = false;
                current = &current->SubkeyOrNew(component, &made);
                created = created || made;
            }
            return created;
        });
        if (saved != ERROR_SUCCESS) return saved;
    }
    if (disposition != nullptr) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = NewHandle(std::move(ref));
    return ERROR_SUCCESS;
}

LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM, PHKEY result) {
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    KeyRef ref;
    if (LSTATUS status = Resolve(key, Narrow(subKey), ref); status != ERROR_SUCCESS) return status;
    if (!ref.path.empty()) {
        const LSTATUS found = ReadKey(ref, ERROR_FILE_NOT_FOUND, [](const Key&) { return ERROR_SUCCESS; });
        if (found != ERROR_SUCCESS) return found;
    }
    *result = NewHandle(std::move(ref));
    return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY key) {
    if (PredefinedHive(key)) return ERROR_SUCCESS;
    State& state = movanta::registry::Registry();
    std::lock_guard guard(state.lock);
    return state.openKeys.erase(reinterpret_cast<ULONG_PTR>(key)) > 0 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LSTATUS RegFlushKey(HKEY key) {
    KeyRef ref;
    return Resolve(key, {}, ref);
}

LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
    return QueryValue(key, {}, Narrow(valueName), type, data, dataSize, true);
}

LSTATUS RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD dataSize) {
    if ((data == nullptr && dataSize > 0) || dataSize > REG_MAX_VALUE_SIZE) return ERROR_INVALID_PARAMETER;
    KeyRef ref;
    if (LSTATUS status = Resolve(key, {}, ref); status != ERROR_SUCCESS) return status;
    const std::string name = Narrow(valueName);
    std::vector<BYTE> stored = Stored(type, data, dataSize, true);
    return ChangeKey(ref, [&](Key& found, bool& modified) {
        modified = found.PutValue(name, type, std::move(stored));
        return ERROR_SUCCESS;
    });
}

LSTATUS RegDeleteValueW(HKEY key, LPCWSTR valueName) {
    KeyRef ref;
    if (LSTATUS status = Resolve(key, {}, ref); status != ERROR_SUCCESS) return status;
    const std::string name = Narrow(valueName);
    return ChangeKey(ref, [&](Key& found, bool& modified) {
        modified = found.RemoveValue(name);
        return modified ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

LSTATUS RegDeleteKeyW(HKEY key, LPCWSTR subKey) {
    return DeleteKey(key, subKey, false);
}

LSTATUS RegDeleteTreeW(HKEY key, LPCWSTR subKey) {
    return DeleteKey(key, subKey, true);
}

LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLength, LPDWORD, LPWSTR, LPDWORD, void*) {
    KeyRef ref;
    if (LSTATUS status = Resolve(key, {}, ref); status != ERROR_SUCCESS) return status;
    return ReadKey(ref, ERROR_KEY_DELETED, [&](const Key& found) {
        if (index >= found.subkeys.size()) return ERROR_NO_MORE_ITEMS;
        return HandOutName(found.subkeys[index]->name, name, nameLength);
    });
}

LSTATUS RegEnumValueW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLength, LPDWORD, LPDWORD type, LPBYTE data,
                      LPDWORD dataSize) {
    KeyRef ref;
    if (LSTATUS status = Resolve(key, {}, ref); status != ERROR_SUCCESS) return status;
    std::string valueName;
    LSTATUS status = ReadKey(ref, ERROR_KEY_DELETED, [&](const Key& found) {
        if (index >= found.values.size()) return ERROR_NO_MORE_ITEMS;
        valueName = found.values[index].name;
        return HandOutName(valueName, name, nameLength);
    });
    if (status != ERROR_SUCCESS) return status;
    return type == nullptr && data == nullptr && dataSize == nullptr
               ? ERROR_SUCCESS
               : QueryValue(key, {}, valueName, type, data, dataSize, true);
}

LSTATUS SHGetValueA(HKEY key, LPCSTR subKey, LPCSTR valueName, LPDWORD type, void* data, LPDWORD dataSize) {
    return QueryValue(key, subKey == nullptr ? std::string_view() : std::string_view(subKey),
                      valueName == nullptr ? std::string() : std::string(valueName), type, static_cast<LPBYTE>(data),
                      dataSize, false);
}

void SHChangeNotify(LONG, UINT, LPCVOID, LPCVOID) {}
