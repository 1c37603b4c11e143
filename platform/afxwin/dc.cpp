#include "afxwin/dc.h"

#include <map>
#include <memory>

#include "afxwin/wnd.h"

namespace {

std::map<HDC, std::unique_ptr<CDC>>& TempDcs() {
    static thread_local std::map<HDC, std::unique_ptr<CDC>> temps;
    return temps;
}

}  // namespace

CDC* CDC::FromHandle(HDC dc) {
    if (dc == nullptr) return nullptr;
    std::unique_ptr<CDC>& temp = TempDcs()[dc];
    if (!temp) {
        temp = std::make_unique<CDC>();
        temp->m_hDC = dc;
    }
    return temp.get();
}

void CDC::DeleteTempMap() {
    TempDcs().clear();
}

BOOL CDC::Attach(HDC dc) {
    if (dc == nullptr || m_hDC != nullptr) return FALSE;
    m_hDC = dc;
    return TRUE;
}

HDC CDC::Detach() {
    HDC dc = m_hDC;
    m_hDC = nullptr;
    return dc;
}

BOOL CDC::CreateCompatibleDC(CDC* dc) {
    return Attach(::CreateCompatibleDC(dc != nullptr ? dc->m_hDC : nullptr));
}

BOOL CDC::DeleteDC() {
    return m_hDC != nullptr && ::DeleteDC(Detach());
}

HGDIOBJ CDC::SelectObject(CGdiObject* object) {
    return object == nullptr ? nullptr : ::SelectObject(m_hDC, object->GetSafeHandle());
}

HGDIOBJ CDC::SelectObject(HGDIOBJ object) {
    return ::SelectObject(m_hDC, object);
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int sourceX, int sourceY, DWORD rop) {
    return ::BitBlt(m_hDC, x, y, width, height, source != nullptr ? source->m_hDC : nullptr, sourceX, sourceY, rop);
}

void CDC::FillSolidRect(const RECT* rect, COLORREF colour) {
    HBRUSH brush = ::CreateSolidBrush(colour);
    ::FillRect(m_hDC, rect, brush);
    ::DeleteObject(brush);
}

COLORREF CDC::SetTextColor(COLORREF colour) {
    return ::SetTextColor(m_hDC, colour);
}

int CDC::SetBkMode(int mode) {
    return ::SetBkMode(m_hDC, mode);
}

int CDC::DrawText(const CString& text, RECT* rect, UINT format) {
    return ::DrawTextW(m_hDC, text.GetString(), -1, rect, format);
}

CPaintDC::CPaintDC(CWnd* window) : m_hWnd(window->GetSafeHwnd()) {
    Attach(::BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC() {
    ::EndPaint(m_hWnd, &m_ps);
    Detach();
}

CClientDC::CClientDC(CWnd* window) : m_hWnd(window != nullptr ? window->GetSafeHwnd() : nullptr) {
    Attach(::GetDC(m_hWnd));
}

CClientDC::~CClientDC() {
    ::ReleaseDC(m_hWnd, Detach());
}
