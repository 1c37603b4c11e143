#include "dshow/proppage.h"

#include "com/comapi.h"
#include "win/text.h"

namespace {

constexpr WCHAR kPageClass[] = L"MovantaPropertyPage";

}  // namespace

CBasePropertyPage::CBasePropertyPage(LPCWSTR name, LPUNKNOWN outer, int dialogId, LPCWSTR title)
    : CUnknown(name, outer), m_DialogId(dialogId), m_title(title == nullptr ? L"" : title) {}

CBasePropertyPage::~CBasePropertyPage() {
    if (m_hwnd != nullptr) DestroyWindow(m_hwnd);
    if (m_pPageSite != nullptr) m_pPageSite->Release();
}

HRESULT CBasePropertyPage::NonDelegatingQueryInterface(REFIID iid, void** object) {
    if (iid == IID_IPropertyPage) return GetInterface(static_cast<IPropertyPage*>(this), object);
    return CUnknown::NonDelegatingQueryInterface(iid, object);
}

HRESULT CBasePropertyPage::SetPageSite(IPropertyPageSite* site) {
    if (site != nullptr) {
        if (m_pPageSite != nullptr) return E_UNEXPECTED;
        site->AddRef();
        m_pPageSite = site;
    } else {
        if (m_pPageSite == nullptr) return E_UNEXPECTED;
        m_pPageSite->Release();
        m_pPageSite = nullptr;
    }
    return S_OK;
}

HRESULT CBasePropertyPage::GetPageInfo(PROPPAGEINFO* info) {
    if (info == nullptr) return E_POINTER;
    *info = PROPPAGEINFO {};
    info->cb = sizeof(PROPPAGEINFO);
    info->pszTitle = movanta::CoTaskMemString(m_title);
    if (info->pszTitle == nullptr) return E_OUTOFMEMORY;
    info->size = {220, 300};  // the usual 110 x 150 dialog units at two pixels a unit
    return S_OK;
}

HRESULT CBasePropertyPage::SetObjects(ULONG count, IUnknown** objects) {
    if (count == 1) {
        if (objects == nullptr || objects[0] == nullptr) return E_POINTER;
        m_bDirty = false;
        const HRESULT hr = OnConnect(objects[0]);
        m_bObjectSet = SUCCEEDED(hr);
        return hr;
    }
    if (count == 0) {
        m_bDirty = false;
        m_bObjectSet = false;
        return OnDisconnect();
    }
    return E_UNEXPECTED;
}

LRESULT CBasePropertyPage::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* page = reinterpret_cast<CBasePropertyPage*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (page == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    return page->OnReceiveMessage(window, message, wParam, lParam);
}

LRESULT CBasePropertyPage::OnReceiveMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

HRESULT CBasePropertyPage::Activate(HWND parent, const RECT*, BOOL) {
    if (m_hwnd != nullptr) return E_UNEXPECTED;
    WNDCLASSW windowClass {};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.lpszClassName = kPageClass;
    RegisterClassW(&windowClass);  // fails harmlessly once registered
    m_hwnd = CreateWindowExW(0, kPageClass, m_title.c_str(), 0, 0, 0, 0, 0, parent, nullptr, nullptr, nullptr);
    if (m_hwnd == nullptr) return E_OUTOFMEMORY;
    m_Dlg = m_hwnd;
    SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    const HRESULT hr = OnActivate();
    if (FAILED(hr)) {
        Deactivate();
        return hr;
    }
    return S_OK;
}

HRESULT CBasePropertyPage::Deactivate() {
    if (m_hwnd == nullptr) return E_UNEXPECTED;
    const HRESULT hr = OnDeactivate();
    SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
    DestroyWindow(m_hwnd);
    m_hwnd = nullptr;
    m_Dlg = nullptr;
    return hr;
}

HRESULT CBasePropertyPage::Show(UINT) { return m_hwnd == nullptr ? E_UNEXPECTED : S_OK; }

HRESULT CBasePropertyPage::Move(const RECT* rect) {
    if (rect == nullptr) return E_POINTER;
    return m_hwnd == nullptr ? E_UNEXPECTED : S_OK;
}

HRESULT CBasePropertyPage::Apply() {
    if (!m_bObjectSet || m_pPageSite == nullptr) return E_UNEXPECTED;
    if (!m_bDirty) return S_OK;
    const HRESULT hr = OnApplyChanges();
    if (SUCCEEDED(hr)) m_bDirty = false;
    return hr;
}

void CBasePropertyPage::SetDirty() {
    m_bDirty = true;
    if (m_pPageSite != nullptr) m_pPageSite->OnStatusChange(PROPPAGESTATUS_DIRTY);
}
