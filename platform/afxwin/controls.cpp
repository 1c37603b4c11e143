#include "afxwin/controls.h"

#include <string>

IMPLEMENT_DYNAMIC(CStatic, CWnd)
IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CEdit, CWnd)
IMPLEMENT_DYNAMIC(CComboBox, CWnd)
IMPLEMENT_DYNAMIC(CListBox, CWnd)
IMPLEMENT_DYNAMIC(CToolTipCtrl, CWnd)

BOOL CStatic::Create(LPCWSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(WC_STATIC, text, style, rect, parent, id);
}

BOOL CButton::Create(LPCWSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(WC_BUTTON, text, style, rect, parent, id);
}

BOOL CEdit::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(WC_EDIT, L"", style, rect, parent, id);
}

BOOL CComboBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(WC_COMBOBOX, L"", style, rect, parent, id);
}

void CComboBox::GetLBText(int index, CString& text) const {
    const auto length = SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (length < 0) {
        text.Empty();
        return;
    }
    std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
    SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    text = CString(buffer.c_str(), static_cast<int>(length));
}

BOOL CListBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(WC_LISTBOX, L"", style, rect, parent, id);
}

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style) {
    return CreateEx(0, TOOLTIPS_CLASS, nullptr, WS_POPUP | style, 0, 0, 0, 0,
                    parent != nullptr ? parent->GetSafeHwnd() : nullptr, nullptr);
}

namespace {

TTTOOLINFOW ToolOf(HWND owner, CWnd* window, const RECT* rect, UINT_PTR id, LPCWSTR text) {
    TTTOOLINFOW info {};
    info.cbSize = sizeof(info);
    info.hwnd = window != nullptr ? window->GetSafeHwnd() : owner;
    if (rect == nullptr && id == 0) {
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.uId = reinterpret_cast<UINT_PTR>(info.hwnd);
        info.hwnd = owner;
    } else {
        info.uFlags = TTF_SUBCLASS;
        info.uId = id;
        if (rect != nullptr) info.rect = *rect;
    }
    info.lpszText = const_cast<LPWSTR>(text);
    return info;
}

}  // namespace

BOOL CToolTipCtrl::AddTool(CWnd* window, LPCWSTR text, const RECT* rect, UINT_PTR id) {
    TTTOOLINFOW info = ToolOf(::GetParent(m_hWnd), window, rect, id, text);
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)));
}

void CToolTipCtrl::DelTool(CWnd* window, UINT_PTR id) {
    TTTOOLINFOW info = ToolOf(::GetParent(m_hWnd), window, nullptr, id, nullptr);
    SendMessage(TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::UpdateTipText(LPCWSTR text, CWnd* window, UINT_PTR id) {
    TTTOOLINFOW info = ToolOf(::GetParent(m_hWnd), window, nullptr, id, text);
    SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}
