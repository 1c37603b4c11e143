// IUnknown and the base class of every component object, with aggregation.
//
// Reference rules: a successful QueryInterface hands the caller one reference
// on the object (through the interface returned); on failure *object is null
// and nothing is held. Objects are deleted when their count reaches zero.
//
// An aggregated object (created with an outer unknown) forwards the three
// IUnknown methods of all its interfaces to the outer object, and hands the
// outer object its inner, non-delegating IUnknown, which keeps the real
// count. Custom interfaces of an object derive from IUnknown and are listed
// in the object's NonDelegatingQueryInterface; DECLARE_IUNKNOWN gives them
// the forwarding methods.
#pragma once

#include <atomic>
#include <new>
#include <utility>

#include "com/guid.h"

#define STDMETHODIMP HRESULT
#define STDMETHODIMP_(type) type
#define STDMETHOD(name) virtual HRESULT name
#define STDMETHOD_(type, name) virtual type name
#define PURE = 0

inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class IUnknown {
public:
    virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;  // released, never deleted, through an interface
};
using LPUNKNOWN = IUnknown*;

class INonDelegatingUnknown {
public:
    virtual HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) = 0;
    virtual ULONG NonDelegatingAddRef() = 0;
    virtual ULONG NonDelegatingRelease() = 0;

protected:
    ~INonDelegatingUnknown() = default;
};

// Counts live component objects in the process (for DllCanUnloadNow).
class CBaseObject {
public:
    explicit CBaseObject(LPCWSTR name);
    virtual ~CBaseObject();
    CBaseObject(const CBaseObject&) = delete;
    CBaseObject& operator=(const CBaseObject&) = delete;
    static LONG ObjectsActive();
    LPCWSTR Name() const { return m_pName; }

private:
    LPCWSTR m_pName;
    static std::atomic<LONG> m_cObjects;
};

class CUnknown : public INonDelegatingUnknown, public CBaseObject {
public:
    // `outer` null makes a stand-alone object whose owner is itself.
    CUnknown(LPCWSTR name, LPUNKNOWN outer);
    CUnknown(LPCWSTR name, LPUNKNOWN outer, HRESULT* result);

    // The IUnknown that interface calls forward to: the outer object when
    // aggregated, otherwise this object's own non-delegating unknown.
    LPUNKNOWN GetOwner() const { return m_pUnknown; }

    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;
    ULONG NonDelegatingAddRef() override;
    ULONG NonDelegatingRelease() override;

protected:
    std::atomic<LONG> m_cRef {0};

private:
    // The inner IUnknown: its calls go to the NonDelegating methods.
    class InnerUnknown final : public IUnknown {
    public:
        explicit InnerUnknown(CUnknown& object) : object_(object) {}
        HRESULT QueryInterface(REFIID iid, void** object) override {
            return object_.NonDelegatingQueryInterface(iid, object);
        }
        ULONG AddRef() override { return object_.NonDelegatingAddRef(); }
        ULONG Release() override { return object_.NonDelegatingRelease(); }

    private:
        CUnknown& object_;
    };

    InnerUnknown m_inner {*this};
    const LPUNKNOWN m_pUnknown;
};

// An interface held inside an object as a member rather than inherited by
// it, whose IUnknown methods go to the object's owner.
template <class Interface>
class CNestedInterface : public Interface {
public:
    explicit CNestedInterface(const CUnknown& object) : object_(object) {}
    HRESULT QueryInterface(REFIID iid, void** object) override {
        return object_.GetOwner()->QueryInterface(iid, object);
    }
    ULONG AddRef() override { return object_.GetOwner()->AddRef(); }
    ULONG Release() override { return object_.GetOwner()->Release(); }

protected:
    ~CNestedInterface() = default;

private:
    const CUnknown& object_;
};

// Hands out `unknown` (already cast to the interface asked for) with a reference.
HRESULT GetInterface(LPUNKNOWN unknown, void** object);

// The IUnknown methods of a class derived from CUnknown and from interfaces.
#define DECLARE_IUNKNOWN                                       \
    HRESULT QueryInterface(REFIID riid, void** ppv) override { \
        return GetOwner()->QueryInterface(riid, ppv);          \
    }                                                          \
    ULONG AddRef() override {                                  \
        return GetOwner()->AddRef();                           \
    }                                                          \
    ULONG Release() override {                                 \
        return GetOwner()->Release();                          \
    }

// The body of every creation function the class factories call: a new T
// made from `args`; nothing when `result` is null (the failure could not be
// told) or memory is short (E_OUTOFMEMORY in `result`).
template <class T, class... Args>
CUnknown* NewComObject(HRESULT* result, Args&&... args) {
    if (result == nullptr) return nullptr;
    T* object = new (std::nothrow) T(std::forward<Args>(args)...);
    if (object == nullptr) *result = E_OUTOFMEMORY;
    return object;
}
