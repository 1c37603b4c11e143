// The entry points compiled into every plug-in over its g_Templates table.
#include <dlfcn.h>

#include <climits>
#include <cstdlib>
#include <new>

#include "com/server.h"
#include "win/text.h"

namespace {

// The absolute path of the plug-in file this code was linked into.
std::wstring ModulePath() {
    Dl_info info {};
    if (dladdr(reinterpret_cast<void*>(&ModulePath), &info) == 0 || info.dli_fname == nullptr) return {};
    char resolved[PATH_MAX];
    return movanta::Utf8ToWide(realpath(info.dli_fname, resolved) != nullptr ? resolved : info.dli_fname);
}

}  // namespace

extern "C" HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
    for (int i = 0; i < g_cTemplates; ++i) {
        if (!g_Templates[i].IsClassID(clsid)) continue;
        auto* factory = new (std::nothrow) CClassFactory(&g_Templates[i]);
        if (factory == nullptr) return E_OUTOFMEMORY;
        return factory->QueryInterface(iid, object);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT DllCanUnloadNow() {
    return CBaseObject::ObjectsActive() == 0 && CClassFactory::Locks() == 0 ? S_OK : S_FALSE;
}

HRESULT RegisterModuleClasses(BOOL registering) {
    const std::wstring path = ModulePath();
    if (path.empty()) return E_FAIL;
    for (int i = 0; i < g_cTemplates; ++i) {
        const CFactoryTemplate& entry = g_Templates[i];
        const HRESULT hr = registering ? AMovieSetupRegisterServer(*entry.m_ClsID, entry.m_Name, path.c_str())
                                       : AMovieSetupUnregisterServer(*entry.m_ClsID);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}
