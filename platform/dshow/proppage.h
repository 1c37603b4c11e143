// Property pages: the logic of a filter's settings page. The page's window
// is a window of the platform layer (headless here; the desktop back end
// shows it), whose messages reach OnReceiveMessage.
//
// Hooks (all may override): OnConnect (an object was given: query what the
// page needs), OnDisconnect, OnActivate (the window exists: show the
// settings), OnDeactivate, OnApplyChanges (store the settings in the
// object), OnReceiveMessage (messages of the page's window; the default
// handling is DefWindowProcW).
#pragma once

#include <string>

#include "dshow/interfaces.h"
#include "win/winuser.h"

inline constexpr IID IID_IPropertyPage = {0xB196B28D, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
inline constexpr IID IID_IPropertyPageSite = {0xB196B28C, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
inline constexpr IID IID_ISpecifyPropertyPages = {0xB196B28B, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};

inline constexpr DWORD PROPPAGESTATUS_DIRTY = 0x1;
inline constexpr DWORD PROPPAGESTATUS_VALIDATE = 0x2;

struct PROPPAGEINFO {
    ULONG cb;
    LPOLESTR pszTitle;  // task memory, freed by the caller
    SIZE size;
    LPOLESTR pszDocString;
    LPOLESTR pszHelpFile;
    DWORD dwHelpContext;
};

// A counted array of GUIDs in task memory (ISpecifyPropertyPages::GetPages).
struct CAUUID {
    ULONG cElems;
    GUID* pElems;
};

class IPropertyPageSite : public IUnknown {
public:
    virtual HRESULT OnStatusChange(DWORD flags) = 0;

protected:
    ~IPropertyPageSite() = default;
};

class IPropertyPage : public IUnknown {
public:
    virtual HRESULT SetPageSite(IPropertyPageSite* site) = 0;
    virtual HRESULT Activate(HWND parent, const RECT* rect, BOOL modal) = 0;
    virtual HRESULT Deactivate() = 0;
    virtual HRESULT GetPageInfo(PROPPAGEINFO* info) = 0;
    virtual HRESULT SetObjects(ULONG count, IUnknown** objects) = 0;
    virtual HRESULT Show(UINT command) = 0;
    virtual HRESULT Move(const RECT* rect) = 0;
    virtual HRESULT IsPageDirty() = 0;
    virtual HRESULT Apply() = 0;
    virtual HRESULT Help(LPCOLESTR helpDir) = 0;
    virtual HRESULT TranslateAccelerator(MSG* message) = 0;

protected:
    ~IPropertyPage() = default;
};

class ISpecifyPropertyPages : public IUnknown {
public:
    virtual HRESULT GetPages(CAUUID* pages) = 0;

protected:
    ~ISpecifyPropertyPages() = default;
};

class CBasePropertyPage : public CUnknown, public IPropertyPage {
public:
    // `dialogId` names the page's dialog resource; `title` is its caption.
    CBasePropertyPage(LPCWSTR name, LPUNKNOWN outer, int dialogId, LPCWSTR title);
    ~CBasePropertyPage() override;

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;

    HRESULT SetPageSite(IPropertyPageSite* site) override;
    HRESULT Activate(HWND parent, const RECT* rect, BOOL modal) override;
    HRESULT Deactivate() override;
    HRESULT GetPageInfo(PROPPAGEINFO* info) override;
    HRESULT SetObjects(ULONG count, IUnknown** objects) override;
    HRESULT Show(UINT command) override;
    HRESULT Move(const RECT* rect) override;
    HRESULT IsPageDirty() override { return m_bDirty ? S_OK : S_FALSE; }
    HRESULT Apply() override;
    HRESULT Help(LPCOLESTR) override { return E_NOTIMPL; }
    HRESULT TranslateAccelerator(MSG*) override { return E_NOTIMPL; }

    virtual HRESULT OnConnect(IUnknown*) { return S_OK; }
    virtual HRESULT OnDisconnect() { return S_OK; }
    virtual HRESULT OnActivate() { return S_OK; }
    virtual HRESULT OnDeactivate() { return S_OK; }
    virtual HRESULT OnApplyChanges() { return S_OK; }
    virtual LRESULT OnReceiveMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND Window() const { return m_hwnd; }
    int DialogId() const { return m_DialogId; }

protected:
    // Marks the page changed and tells the site.
    void SetDirty();

    HWND m_hwnd = nullptr;
    HWND m_Dlg = nullptr;  // the page's dialog: the same window here
    IPropertyPageSite* m_pPageSite = nullptr;  // holds a reference
    bool m_bDirty = false;
    bool m_bObjectSet = false;
    int m_DialogId;
    std::wstring m_title;

private:
    static LRESULT WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
