// The registry: hives of typed values under keys.
//
// Hives live in files. The current user's is under
// $XDG_CONFIG_HOME/movanta/registry (~/.config when unset); the machine's,
// the classes' and the users' are in the "registry" folder beside this
// library, that is under the installation prefix. MOVANTA_REGISTRY_DIR, when
// set, holds all four instead (tests use it to stay off real settings).
//
// Every change is written through at once, atomically and serialised between
// processes; see hive_store.h. Key and value names compare without regard to
// ASCII case. String values are stored as text: a REG_SZ written through the
// wide calls reads back through the narrow ones as UTF-8.
#pragma once

#include "win/wintypes.h"

struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;
using REGSAM = DWORD;

inline const HKEY HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(ULONG_PTR {0x80000000});
inline const HKEY HKEY_CURRENT_USER = reinterpret_cast<HKEY>(ULONG_PTR {0x80000001});
inline const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(ULONG_PTR {0x80000002});
inline const HKEY HKEY_USERS = reinterpret_cast<HKEY>(ULONG_PTR {0x80000003});

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;
inline constexpr DWORD REG_QWORD = 11;

inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Largest value the registry accepts, in bytes.
inline constexpr DWORD REG_MAX_VALUE_SIZE = 1024 * 1024;

// Creates the key and any missing parents, or opens it when it exists.
LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options, REGSAM access,
                        const SECURITY_ATTRIBUTES* security, PHKEY result, LPDWORD disposition);
// ERROR_FILE_NOT_FOUND when the key does not exist.
LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result);
LSTATUS RegCloseKey(HKEY key);
// Changes are durable when the call returns; kept for callers that flush.
LSTATUS RegFlushKey(HKEY key);
// With data null, stores the size in *dataSize. When *dataSize is too small,
// stores the size needed there and answers ERROR_MORE_DATA. A null or empty
// name is the key's default value.
LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize);
LSTATUS RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD dataSize);
LSTATUS RegDeleteValueW(HKEY key, LPCWSTR valueName);
// Deletes a key that has no subkeys (ERROR_ACCESS_DENIED otherwise).
LSTATUS RegDeleteKeyW(HKEY key, LPCWSTR subKey);
// Deletes a key with everything below it.
LSTATUS RegDeleteTreeW(HKEY key, LPCWSTR subKey);
// *nameLength: capacity in characters on entry, length without the zero on return.
LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLength, LPDWORD reserved, LPWSTR keyClass,
                      LPDWORD classLength, void* lastWriteTime);
LSTATUS RegEnumValueW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLength, LPDWORD reserved, LPDWORD type,
                      LPBYTE data, LPDWORD dataSize);

// Reads one value of a subkey in one call (narrow strings, UTF-8).
LSTATUS SHGetValueA(HKEY key, LPCSTR subKey, LPCSTR valueName, LPDWORD type, void* data, LPDWORD dataSize);
// Tells the desktop that associations changed; nothing listens here.
void SHChangeNotify(LONG eventId, UINT flags, LPCVOID item1, LPCVOID item2);
inline constexpr LONG SHCNE_ASSOCCHANGED = 0x08000000;
