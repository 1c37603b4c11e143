#include "skin/buttons/action_relay.h"

CzFActionRelay::CzFActionRelay(CWnd* window) {
    if (window == nullptr) return;
    if (window->IsKindOf(RUNTIME_CLASS(CzCanvasWnd))) {
        m_window = static_cast<CzCanvasWnd*>(window);
    } else if (window->IsKindOf(RUNTIME_CLASS(CzCanvasDlg))) {
        m_dialog = static_cast<CzCanvasDlg*>(window);
    }
}

CWnd* CzFActionRelay::fnGetWnd() const {
    return Forward<CWnd*>([](auto* canvas) -> CWnd* { return canvas; }, nullptr);
}

CRect CzFActionRelay::fnGetStaticPos(UINT id) const {
    return Forward<CRect>([&](auto* canvas) { return canvas->fnGetStaticPos(id); }, CRect());
}

CzLocation* CzFActionRelay::fnGetPtrLocate(int kind, UINT id) const {
    return Forward<CzLocation*>([&](auto* canvas) { return canvas->fnGetPtrLocate(kind, id); }, nullptr);
}

bool CzFActionRelay::fnSetCanvas(HBITMAP image, HBITMAP mask, DWORD style, const CRect& grid, bool present) {
    return Forward<bool>([&](auto* canvas) { return canvas->fnSetCanvas(image, mask, style, grid, present); }, false);
}

void CzFActionRelay::fnSetLocation(const CRect& pos, CArray<CzRefObj>& refs) {
    Forward<int>(
        [&](auto* canvas) {
            canvas->fnSetLocation(pos, refs);
            return 0;
        },
        0);
}

bool CzFActionRelay::fnSetAlpha(BYTE alpha, bool present) {
    return Forward<bool>([&](auto* canvas) { return canvas->fnSetAlpha(alpha, present); }, false);
}

bool CzFActionRelay::fnDrawCanvas(const CRect& rect, HBITMAP bitmap, int x, int y, bool present) {
    return Forward<bool>([&](auto* canvas) { return canvas->fnDrawCanvas(rect, bitmap, x, y, present); }, false);
}

bool CzFActionRelay::fnDrawCanvas(HICON icon, int x, int y, bool present) {
    return Forward<bool>([&](auto* canvas) { return canvas->fnDrawCanvas(icon, x, y, present); }, false);
}

bool CzFActionRelay::fnDrawCanvas(LPCWSTR text, const CRect& rect, UINT format, COLORREF colour, CFont* font, bool soft,
                                  HBITMAP background, bool present) {
    return Forward<bool>(
        [&](auto* canvas) { return canvas->fnDrawCanvas(text, rect, format, colour, font, soft, background, present); },
        false);
}

bool CzFActionRelay::fnClearCanvas(const CRect* rect, bool present) {
    return Forward<bool>([&](auto* canvas) { return canvas->fnClearCanvas(rect, present); }, false);
}

void CzFActionRelay::fnRefresh(int resolved) {
    Forward<int>(
        [&](auto* canvas) {
            canvas->fnRefresh(resolved);
            return 0;
        },
        0);
}

void CzFActionRelay::fnAddBtn(UINT id, HBITMAP strip, const CRect& pos, CArray<CzRefObj>& refs, UINT frames,
                              DWORD style) {
    if (fnGetWnd() == nullptr) {
        DeleteObject(strip);  // the strip was handed over
        return;
    }
    Forward<int>(
        [&](auto* canvas) {
            canvas->fnAddBtn(id, strip, pos, refs, frames, style);
            return 0;
        },
        0);
}

void CzFActionRelay::fnAddStatic(UINT kind, const CRect& pos, CArray<CzRefObj>& refs, UINT id, HANDLE handle,
                                 UINT format, UINT font, COLORREF colour) {
    Forward<int>(
        [&](auto* canvas) {
            canvas->fnAddStatic(kind, pos, refs, id, handle, format, font, colour);
            return 0;
        },
        0);
}

bool CzFActionRelay::fnDrawStatic(UINT id, bool present) {
    return Forward<bool>([&](auto* canvas) { return canvas->fnDrawStatic(id, present); }, false);
}

void CzFActionRelay::fnEmbedWindow(HWND canvas, const CString& name) {
    Forward<int>(
        [&](auto* host) {
            host->fnEmbedWindow(canvas, name);
            return 0;
        },
        0);
}

void CzFActionRelay::fnRemoveCtrl(HWND window) {
    Forward<int>(
        [&](auto* canvas) {
            canvas->fnRemoveCtrl(window);
            return 0;
        },
        0);
}

HWND CzFActionRelay::fnCreateCtrl(DWORD exStyle, LPCWSTR className, LPCWSTR text, DWORD style, const CRect& pos,
                                  CArray<CzRefObj>& refs, UINT id, int font) {
    return Forward<HWND>(
        [&](auto* canvas) { return canvas->fnCreateCtrl(exStyle, className, text, style, pos, refs, id, font); },
        nullptr);
}

bool CzFActionRelay::fnCreateCtrl(const CRect& pos, CArray<CzRefObj>& refs, const CString& name) {
    return Forward<bool>([&](auto* canvas) { return canvas->fnCreateCtrl(pos, refs, name); }, false);
}

bool CzFActionRelay::fnCreateCtrl(const CRect& pos, CArray<CzRefObj>& refs, UINT id, int first, int second) {
    return Forward<bool>([&](auto* canvas) { return canvas->fnCreateCtrl(pos, refs, id, first, second); }, false);
}

bool CzFActionRelay::fnAttachCtrl(HWND window, DWORD style, const CRect& pos, CArray<CzRefObj>& refs, UINT id) {
    return Forward<bool>([&](auto* canvas) { return canvas->fnAttachCtrl(window, style, pos, refs, id); }, false);
}

CFont* CzFActionRelay::fnGetFont(int index) const {
    return Forward<CFont*>([&](auto* canvas) { return canvas->fnGetFont(index); }, nullptr);
}

LPCWSTR CzFActionRelay::fnAcquireString(int id) {
    return Forward<LPCWSTR>([&](auto* canvas) { return canvas->fnAcquireString(id); }, nullptr);
}

HBITMAP CzFActionRelay::fnAcquireImage(int id) {
    return Forward<HBITMAP>([&](auto* canvas) { return canvas->fnAcquireImage(id); }, nullptr);
}

HICON CzFActionRelay::fnAcquireIcon(int id) {
    return Forward<HICON>([&](auto* canvas) { return canvas->fnAcquireIcon(id); }, nullptr);
}
