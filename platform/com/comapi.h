// Creating objects by class id, apartments and task memory.
//
// CoGetClassObject first looks at the factories this process registered with
// CoRegisterClassObject, then at the registry: the default value of
// HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32 names a plug-in shared
// object, which is loaded once and kept for the life of the process, and its
// DllGetClassObject is asked for the factory.
#pragma once

#include <string>
#include <string_view>

#include "com/factory.h"

inline constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
inline constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
inline constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
inline constexpr DWORD CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;
inline constexpr DWORD CLSCTX_ALL = CLSCTX_INPROC | CLSCTX_LOCAL_SERVER;

inline constexpr DWORD COINIT_MULTITHREADED = 0x0;
inline constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;

inline constexpr DWORD REGCLS_MULTIPLEUSE = 1;

// S_OK the first time on a thread, S_FALSE when already entered in the same
// model, RPC_E_CHANGED_MODE for the other model. Creating objects does not
// require it: every object here is free-threaded.
HRESULT CoInitializeEx(LPVOID reserved, DWORD model);
HRESULT CoInitialize(LPVOID reserved);
void CoUninitialize();

HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, LPVOID serverInfo, REFIID iid, LPVOID* object);
// REGDB_E_CLASSNOTREG for a class that is not registered;
// HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND) when its plug-in cannot be loaded
// (LastComLoadError names the file and the loader's reason, and the same
// line goes to standard error once per file); CO_E_ERRORINDLL when the file
// has no DllGetClassObject.
HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* object);

// Makes a factory of this process answer for a class id before the registry.
HRESULT CoRegisterClassObject(REFCLSID clsid, LPUNKNOWN factory, DWORD context, DWORD flags, LPDWORD cookie);
HRESULT CoRevokeClassObject(DWORD cookie);

LPVOID CoTaskMemAlloc(SIZE_T size);
LPVOID CoTaskMemRealloc(LPVOID block, SIZE_T size);
void CoTaskMemFree(LPVOID block);

inline constexpr LONG ERROR_MOD_NOT_FOUND = 126;

namespace movanta {
// The message of the last plug-in load failure on this thread.
std::string LastComLoadError();
// A zero-terminated copy of `text` in task memory, for interface methods
// that hand a string to their caller (who frees it with CoTaskMemFree);
// null when memory runs out.
LPOLESTR CoTaskMemString(std::wstring_view text);
}  // namespace movanta
