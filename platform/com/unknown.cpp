#include "com/unknown.h"

std::atomic<LONG> CBaseObject::m_cObjects {0};

CBaseObject::CBaseObject(LPCWSTR name) : m_pName(name) {
    ++m_cObjects;
}

CBaseObject::~CBaseObject() {
    --m_cObjects;
}

LONG CBaseObject::ObjectsActive() {
    return m_cObjects.load();
}

CUnknown::CUnknown(LPCWSTR name, LPUNKNOWN outer)
    : CBaseObject(name), m_pUnknown(outer != nullptr ? outer : &m_inner) {}

CUnknown::CUnknown(LPCWSTR name, LPUNKNOWN outer, HRESULT*) : CUnknown(name, outer) {}

HRESULT CUnknown::NonDelegatingQueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown) return GetInterface(&m_inner, object);
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CUnknown::NonDelegatingAddRef() {
    return static_cast<ULONG>(++m_cRef);
}

ULONG CUnknown::NonDelegatingRelease() {
    const LONG count = --m_cRef;
    if (count == 0) {
        // Guard against re-entry while the destructor releases other objects
        // that hold references back to this one.
        m_cRef = 1;
        delete this;
        return 0;
    }
    return static_cast<ULONG>(count < 0 ? 0 : count);
}

HRESULT GetInterface(LPUNKNOWN unknown, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = unknown;
    unknown->AddRef();
    return NOERROR;
}
