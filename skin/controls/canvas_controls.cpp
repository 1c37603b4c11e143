// The canvas operations on its control manager: making controls, slots and
// splitters, embedding other canvases, and the dialog-item calls, which
// look at the manager's controls before the window's own children
// (popup controls are not children).
#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <string>

#include "skin/canvas/canvas_core.h"

namespace {

// The most characters read from a control for a number.
constexpr int kNumberText = 259;

// A whole decimal number with its signs: every character a digit, "+" or
// "-". The value read by the usual rules; 0 for anything else.
long NumberOf(const CString& text) {
    const std::wstring_view view(text.Wide());
    if (view.empty() || !std::all_of(view.begin(), view.end(), [](wchar_t c) {
            return std::iswdigit(static_cast<wint_t>(c)) != 0 || c == L'+' || c == L'-';
        })) {
        return 0;
    }
    return std::wcstol(std::wstring(view).c_str(), nullptr, 10);
}

}  // namespace

CzControlManager& CzCanvasCore::Controls() {
    if (!m_controls) m_controls = std::make_unique<CzControlManager>(m_window);
    return *m_controls;
}

HWND CzCanvasCore::CreateCtrl(DWORD exStyle, LPCWSTR className, LPCWSTR text, DWORD style, const CRect& pos,
                              const CArray<CzRefObj>& refs, UINT id, int font) {
    if (className == nullptr) return nullptr;
    return Controls().CreateControl(exStyle, className, text, style, pos, refs, id, font);
}

bool CzCanvasCore::CreateCtrl(const CRect& pos, const CArray<CzRefObj>& refs, const CString& name) {
    return Controls().CreateSlot(pos, refs, name);
}

bool CzCanvasCore::CreateCtrl(const CRect& pos, const CArray<CzRefObj>& refs, UINT id, int first, int second) {
    return Controls().CreateSplitter(pos, refs, id, first, second);
}

bool CzCanvasCore::AttachCtrl(HWND window, DWORD style, const CRect& pos, const CArray<CzRefObj>& refs, UINT id) {
    if (Controls().AttachControl(window, style, pos, refs, id)) return true;
    if (IsWindow(window)) DestroyWindow(window);
    return false;
}

void CzCanvasCore::EmbedWindow(HWND canvas, const CString& name) {
    Controls().EmbedWindow(canvas, name);
}

void CzCanvasCore::RemoveCtrl(HWND window) {
    if (m_controls) m_controls->RemoveControl(window);
}

bool CzCanvasCore::ManagesControls() const {
    const CzCanvasRecord* record = Record();
    return m_controls && IsLayeredWindow() && record != nullptr && record->m_perPixel;
}

HWND CzCanvasCore::ManagedItem(UINT id) const {
    bool found = false;
    return m_controls ? m_controls->ItemWindow(id, found) : nullptr;
}

void CzCanvasCore::EnableCtrl(UINT id, BOOL enable) {
    if (ManagesControls() && m_controls->EnableControl(id, enable != FALSE)) return;
    if (HWND child = ::GetDlgItem(m_window.GetSafeHwnd(), static_cast<int>(id))) ::EnableWindow(child, enable);
}

void CzCanvasCore::ShowCtrl(UINT id, BOOL show) {
    if (ManagesControls() && m_controls->ShowControl(id, show != FALSE)) return;
    if (HWND child = ::GetDlgItem(m_window.GetSafeHwnd(), static_cast<int>(id))) {
        ::ShowWindow(child, show ? SW_SHOW : SW_HIDE);
    }
}

CWnd* CzCanvasCore::GetDlgItem(UINT id) const {
    if (m_controls) {
        bool found = false;
        HWND window = m_controls->ItemWindow(id, found);
        if (found) return window != nullptr ? CWnd::FromHandle(window) : nullptr;
    }
    return m_window.GetDlgItem(static_cast<int>(id));
}

int CzCanvasCore::GetDlgItemText(UINT id, LPWSTR buffer, int size) const {
    HWND window = ManagedItem(id);
    if (window != nullptr && GetWindowTextLengthW(window) > 0) return GetWindowTextW(window, buffer, size);
    return m_window.GetDlgItemText(static_cast<int>(id), buffer, size);
}

int CzCanvasCore::GetDlgItemText(UINT id, CString& text) const {
    HWND window = ManagedItem(id);
    if (window != nullptr && GetWindowTextLengthW(window) > 0) {
        CWnd::FromHandle(window)->GetWindowText(text);
        return text.GetLength();
    }
    return static_cast<int>(m_window.GetDlgItemText(static_cast<int>(id), text));
}

UINT CzCanvasCore::GetDlgItemInt(UINT id, bool* ok, bool isSigned) const {
    HWND window = ManagedItem(id);
    if (window != nullptr) {
        WCHAR buffer[kNumberText + 1] {};
        GetWindowTextW(window, buffer, kNumberText + 1);
        if (const long value = NumberOf(CString(buffer)); value != 0) {
            if (ok != nullptr) *ok = true;
            return static_cast<UINT>(value);
        }
    }
    BOOL translated = FALSE;
    const UINT value = m_window.GetDlgItemInt(static_cast<int>(id), &translated, isSigned ? TRUE : FALSE);
    if (ok != nullptr) *ok = translated != FALSE;
    return value;
}

void CzCanvasCore::SetDlgItemText(UINT id, LPCWSTR text) {
    HWND window = ManagedItem(id);
    if (window != nullptr) SetWindowTextW(window, text);
    m_window.SetDlgItemText(static_cast<int>(id), text);
}

void CzCanvasCore::SetDlgItemInt(UINT id, UINT value, bool isSigned) {
    HWND window = ManagedItem(id);
    if (window != nullptr) SetWindowTextW(window, std::to_wstring(static_cast<int>(value)).c_str());
    m_window.SetDlgItemInt(static_cast<int>(id), value, isSigned ? TRUE : FALSE);
}

bool CzCanvasCore::IdentifyCommand(WPARAM& wParam, LPARAM sender) const {
    UINT id = 0;
    if (!m_controls || sender == 0 || !m_controls->ControlId(reinterpret_cast<HWND>(sender), id)) return false;
    wParam = MAKEWPARAM(static_cast<WORD>(id), HIWORD(wParam));
    return true;
}
