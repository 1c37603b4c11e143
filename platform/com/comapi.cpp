#include "com/comapi.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <set>

#include "registry/registry_strings.h"
#include "win/text.h"

namespace movanta {
namespace {

using GetClassObjectFn = HRESULT (*)(REFCLSID, REFIID, LPVOID*);

struct Apartment {
    int depth = 0;
    DWORD model = 0;
};
thread_local Apartment t_apartment;
thread_local std::string t_lastLoadError;

struct RegisteredFactory {
    CLSID clsid;
    LPUNKNOWN factory;
};

struct ComState {
    std::mutex lock;
    std::map<std::string, void*> modules;          // loaded plug-ins by path, kept for the process's life
    std::set<std::string> reportedFailures;        // paths already reported on stderr
    std::map<DWORD, RegisteredFactory> factories;  // CoRegisterClassObject, by cookie
    DWORD nextCookie = 1;
};

ComState& State() {
    static ComState state;
    return state;
}

// The registered plug-in path of a class, or an empty string.
std::string ServerPath(REFCLSID clsid) {
    const auto path =
        ReadRegString(HKEY_CLASSES_ROOT, Utf8ToWide("CLSID\\" + GuidToString(clsid) + "\\InprocServer32"), nullptr);
    return path ? NativePath(path->c_str()) : std::string();
}

HRESULT LoadServer(const std::string& path, REFCLSID clsid, GetClassObjectFn& entry) {
    ComState& state = State();
    std::lock_guard guard(state.lock);
    void*& module = state.modules[path];
    if (module == nullptr) {
        module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            const char* reason = dlerror();
            t_lastLoadError = "cannot load the plug-in " + path + " registered for class " + GuidToString(clsid) +
                              ": " + (reason != nullptr ? reason : "unknown reason");
            if (state.reportedFailures.insert(path).second)
                std::fprintf(stderr, "movanta: %s\n", t_lastLoadError.c_str());
            state.modules.erase(path);
            return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
        }
    }
    entry = reinterpret_cast<GetClassObjectFn>(dlsym(module, "DllGetClassObject"));
    if (entry == nullptr) {
        t_lastLoadError = "the plug-in " + path + " has no DllGetClassObject entry point";
        return CO_E_ERRORINDLL;
    }
    return S_OK;
}

}  // namespace

std::string LastComLoadError() {
    return t_lastLoadError;
}

}  // namespace movanta

using namespace movanta;

HRESULT CoInitializeEx(LPVOID, DWORD model) {
    Apartment& apartment = t_apartment;
    if (apartment.depth > 0 && apartment.model != model) return RPC_E_CHANGED_MODE;
    apartment.model = model;
    return apartment.depth++ == 0 ? S_OK : S_FALSE;
}

HRESULT CoInitialize(LPVOID reserved) {
    return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED);
}

void CoUninitialize() {
    if (t_apartment.depth > 0) --t_apartment.depth;
}

HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, LPVOID, REFIID iid, LPVOID* object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if ((context & CLSCTX_INPROC) == 0) return REGDB_E_CLASSNOTREG;
    {
        ComState& state = State();
        std::lock_guard guard(state.lock);
        for (const auto& [cookie, entry] : state.factories) {
            if (entry.clsid == clsid) return entry.factory->QueryInterface(iid, object);
        }
    }
    const std::string path = ServerPath(clsid);
    if (path.empty()) return REGDB_E_CLASSNOTREG;
    GetClassObjectFn entry = nullptr;
    if (HRESULT hr = LoadServer(path, clsid, entry); FAILED(hr)) return hr;
    return entry(clsid, iid, object);
}

HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    IClassFactory* factory = nullptr;
    HRESULT hr = CoGetClassObject(clsid, context, nullptr, IID_IClassFactory, reinterpret_cast<LPVOID*>(&factory));
    if (FAILED(hr)) return hr;
    hr = factory->CreateInstance(outer, iid, object);
    factory->Release();
    return hr;
}

HRESULT CoRegisterClassObject(REFCLSID clsid, LPUNKNOWN factory, DWORD, DWORD, LPDWORD cookie) {
    if (factory == nullptr || cookie == nullptr) return E_INVALIDARG;
    ComState& state = State();
    std::lock_guard guard(state.lock);
    factory->AddRef();
    *cookie = state.nextCookie++;
    state.factories[*cookie] = {clsid, factory};
    return S_OK;
}

HRESULT CoRevokeClassObject(DWORD cookie) {
    LPUNKNOWN factory = nullptr;
    {
        ComState& state = State();
        std::lock_guard guard(state.lock);
        auto it = state.factories.find(cookie);
        if (it == state.factories.end()) return E_INVALIDARG;
        factory = it->second.factory;
        state.factories.erase(it);
    }
    factory->Release();
    return S_OK;
}

LPVOID CoTaskMemAlloc(SIZE_T size) {
    return std::malloc(size == 0 ? 1 : size);
}

LPVOID CoTaskMemRealloc(LPVOID block, SIZE_T size) {
    return std::realloc(block, size == 0 ? 1 : size);
}

void CoTaskMemFree(LPVOID block) {
    std::free(block);
}

LPOLESTR movanta::CoTaskMemString(std::wstring_view text) {
    auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(WCHAR)));
    if (copy != nullptr) CopyToBuffer(text, copy, text.size() + 1);
    return copy;
}
