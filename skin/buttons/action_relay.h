// CzFActionRelay: how the parser and the application address a canvas of
// either class through one handle. Without a canvas every call does nothing
// and answers null, false or 0.
#pragma once

#include "skin/canvas/canvas_dlg.h"
#include "skin/canvas/canvas_wnd.h"

class CzFActionRelay {
public:
    explicit CzFActionRelay(CWnd* window);

    CWnd* fnGetWnd() const;
    CRect fnGetStaticPos(UINT id) const;
    CzLocation* fnGetPtrLocate(int kind, UINT id) const;
    bool fnSetCanvas(HBITMAP image, HBITMAP mask, DWORD style, const CRect& grid, bool present);
    void fnSetLocation(const CRect& pos, CArray<CzRefObj>& refs);
    bool fnSetAlpha(BYTE alpha, bool present);
    bool fnDrawCanvas(const CRect& rect, HBITMAP bitmap, int x, int y, bool present);
    bool fnDrawCanvas(HICON icon, int x, int y, bool present);
    bool fnDrawCanvas(LPCWSTR text, const CRect& rect, UINT format, COLORREF colour, CFont* font, bool soft,
                      HBITMAP background, bool present);
    bool fnClearCanvas(const CRect* rect, bool present);
    void fnRefresh(int resolved);
    void fnAddBtn(UINT id, HBITMAP strip, const CRect& pos, CArray<CzRefObj>& refs, UINT frames, DWORD style);
    void fnAddStatic(UINT kind, const CRect& pos, CArray<CzRefObj>& refs, UINT id, HANDLE handle, UINT format,
                     UINT font, COLORREF colour);
    bool fnDrawStatic(UINT id, bool present);
    void fnEmbedWindow(HWND canvas, const CString& name);
    void fnRemoveCtrl(HWND window);
    HWND fnCreateCtrl(DWORD exStyle, LPCWSTR className, LPCWSTR text, DWORD style, const CRect& pos,
                      CArray<CzRefObj>& refs, UINT id, int font);
    bool fnCreateCtrl(const CRect& pos, CArray<CzRefObj>& refs, const CString& name);
    bool fnCreateCtrl(const CRect& pos, CArray<CzRefObj>& refs, UINT id, int first, int second);
    bool fnAttachCtrl(HWND window, DWORD style, const CRect& pos, CArray<CzRefObj>& refs, UINT id);
    CFont* fnGetFont(int index) const;
    LPCWSTR fnAcquireString(int id);
    HBITMAP fnAcquireImage(int id);
    HICON fnAcquireIcon(int id);

private:
    // Runs `call` on whichever canvas there is, else answers `none`.
    template <class R, class F>
    R Forward(F call, R none) const {
        if (m_window != nullptr) return call(m_window);
        if (m_dialog != nullptr) return call(m_dialog);
        return none;
    }

    CzCanvasWnd* m_window = nullptr;
    CzCanvasDlg* m_dialog = nullptr;
};
