#include "com/factory.h"

namespace {
std::atomic<LONG> g_serverLocks {0};
}

CClassFactory::CClassFactory(const CFactoryTemplate* factoryTemplate)
    : CBaseObject(L"Class factory"), m_pTemplate(factoryTemplate) {}

HRESULT CClassFactory::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) return GetInterface(this, object);
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CClassFactory::AddRef() {
    return static_cast<ULONG>(++m_cRef);
}

ULONG CClassFactory::Release() {
    const LONG count = --m_cRef;
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

HRESULT CClassFactory::CreateInstance(LPUNKNOWN outer, REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr && iid != IID_IUnknown) return E_NOINTERFACE;
    HRESULT result = S_OK;
    CUnknown* created = m_pTemplate->CreateInstance(outer, &result);
    if (created == nullptr) return FAILED(result) ? result : E_OUTOFMEMORY;
    if (FAILED(result)) {
        delete created;
        return result;
    }
    // Hold one reference across the query so a failed query deletes the object.
    created->NonDelegatingAddRef();
    result = created->NonDelegatingQueryInterface(iid, object);
    created->NonDelegatingRelease();
    return result;
}

HRESULT CClassFactory::LockServer(BOOL lock) {
    if (lock) {
        ++g_serverLocks;
    } else {
        --g_serverLocks;
    }
    return NOERROR;
}

LONG CClassFactory::Locks() {
    return g_serverLocks.load();
}
