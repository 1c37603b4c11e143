#include "amr_mode_page.h"


namespace movanta::amr {

const wchar_t* const CTxAmrModePage::kLabels[kButtonCount] = {
    L"4.75 kbit / s", L"5.15 kbit / s", L"5.90 kbit / s",  L"6.70 kbit / s",
    L"7.40 kbit / s", L"7.95 kbit / s", L"10.20 kbit / s", L"12.20 kbit / s",
};

CUnknown* CTxAmrModePage::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    return NewComObject<CTxAmrModePage>(result, outer);
}

CTxAmrModePage::CTxAmrModePage(LPUNKNOWN outer)
    : CBasePropertyPage(L"Bitrate Mode", outer, kDialogId, L"Bitrate Mode") {}

CTxAmrModePage::~CTxAmrModePage() {
    if (m_bitrate != nullptr) m_bitrate->Release();
}

HRESULT CTxAmrModePage::OnConnect(IUnknown* object) {
    if (object == nullptr) return E_POINTER;
    if (m_bitrate != nullptr) {
        m_bitrate->Release();
        m_bitrate = nullptr;
    }
    const HRESULT hr = object->QueryInterface(IID_ITxAmrBitrate, reinterpret_cast<void**>(&m_bitrate));
    if (FAILED(hr)) return E_NOINTERFACE;
    if (m_bitrate == nullptr) return E_FAIL;
    m_bitrate->GetBitRateMode(&m_mode);
    m_active = false;
    return S_OK;
}

HRESULT CTxAmrModePage::OnDisconnect() {
    if (m_bitrate != nullptr) {
        m_bitrate->Release();
        m_bitrate = nullptr;
    }
    return S_OK;
}

HRESULT CTxAmrModePage::OnActivate() {
    m_checked = m_mode >= 0 && m_mode < kButtonCount ? m_mode : -1;
    m_active = true;
    return S_OK;
}

HRESULT CTxAmrModePage::OnDeactivate() {
    m_active = false;
    if (m_checked >= 0) m_mode = m_checked;
    return S_OK;
}

LRESULT CTxAmrModePage::OnReceiveMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && m_active) {
        const int button = LOWORD(wParam) - kFirstButton;
        if (button >= 0 && button < kButtonCount) m_checked = button;
        SetDirty();
        return 0;
    }
    return CBasePropertyPage::OnReceiveMessage(window, message, wParam, lParam);
}

HRESULT CTxAmrModePage::OnApplyChanges() {
    if (m_bitrate == nullptr) return E_POINTER;
    // With no button checked (the encoder was at mode 8) the mode stays.
    if (m_checked >= 0) m_mode = m_checked;
    m_bitrate->SetBitRateMode(m_mode);
    return S_OK;
}

}  // namespace movanta::amr
