// Class factories and the table of classes a plug-in serves.
#pragma once

#include "com/unknown.h"

inline constexpr IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class IClassFactory : public IUnknown {
public:
    // With an outer unknown only IID_IUnknown may be asked for.
    virtual HRESULT CreateInstance(LPUNKNOWN outer, REFIID iid, void** object) = 0;
    virtual HRESULT LockServer(BOOL lock) = 0;

protected:
    ~IClassFactory() = default;
};

// Creates one object; returns null (and may set *result) on failure.
using LPFNNewCOMObject = CUnknown* (*)(LPUNKNOWN outer, HRESULT* result);
// Called for every template when the module is loaded (true) and when it
// is unloaded (false); may be null.
using LPFNInitRoutine = void (*)(BOOL loading, const CLSID* clsid);

// Filter registration data; defined by the media framework layer.
struct AMOVIESETUP_FILTER;

// One class a plug-in serves. Each plug-in defines the table g_Templates
// with g_cTemplates entries (see server.h).
class CFactoryTemplate {
public:
    const WCHAR* m_Name;
    const CLSID* m_ClsID;
    LPFNNewCOMObject m_lpfnNew;
    LPFNInitRoutine m_lpfnInit;
    const AMOVIESETUP_FILTER* m_pAMovieSetup_Filter;

    bool IsClassID(REFCLSID clsid) const { return *m_ClsID == clsid; }
    CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result) const { return m_lpfnNew(outer, result); }
};

// The factory handed out by DllGetClassObject for one template.
class CClassFactory final : public IClassFactory, public CBaseObject {
public:
    explicit CClassFactory(const CFactoryTemplate* factoryTemplate);

    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT CreateInstance(LPUNKNOWN outer, REFIID iid, void** object) override;
    HRESULT LockServer(BOOL lock) override;

    // Server locks held in this process through LockServer.
    static LONG Locks();

private:
    ~CClassFactory() override = default;
    std::atomic<LONG> m_cRef {0};
    const CFactoryTemplate* const m_pTemplate;
};
