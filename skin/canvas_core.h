// What both canvas classes do, on the canvas window and its record: the
// canvas operations, presentation, hit-testing for moving and sizing,
// sizing limits, position changes, showing, display changes and activation.
#pragma once

#include "afx/drawing.h"
#include "afxwin/wnd.h"
#include "skin/canvas_record.h"

// STYLE bits of the Canvas key.
inline constexpr DWORD CANVAS_RESIZABLE = 0x2;
inline constexpr DWORD CANVAS_VISIBLE = 0x10000000;
inline constexpr DWORD CANVAS_EMBEDDED = 0x40000000;
// The window user data of a canvas painted normally at constant alpha.
inline constexpr LONG_PTR CANVAS_MARKER = 3456;

class CzCanvasCore {
public:
    explicit CzCanvasCore(CWnd& window) : m_window(window) {}

    bool Register();
    void Unregister();
    CzCanvasRecord* Record() const;

    void SetLocation(const CRect& pos, const CArray<CzRefObj>& refs);
    bool SetCanvas(HBITMAP image, HBITMAP mask, DWORD style, const CRect& grid, bool present);
    bool SetAlpha(BYTE alpha, bool present);
    BYTE GetAlpha() const;
    bool DrawCanvas(const CRect& rect, HBITMAP bitmap, int x, int y, bool present);
    bool DrawCanvas(LPCWSTR text, const CRect& rect, UINT format, COLORREF colour, CFont* font, bool soft,
                    HBITMAP background, bool present);
    bool ClearCanvas(const CRect* rect, bool present);
    void Refresh(int resolved);
    BOOL ShowWindow(int command);
    BOOL EnableWindow(BOOL enable);
    BOOL SetWindowPos(const CWnd* after, int x, int y, int cx, int cy, UINT flags);
    CzLocation* GetPtrLocate(int kind, UINT id) const;
    // Shows the composition: per-pixel canvases through the layered
    // picture (with the window's position when asked), others by repainting
    // (the area, or all).
    bool Present(const CRect* area, bool withPosition);

    // Message handling shared by the canvas classes.
    LRESULT HitTest(CPoint screen, LRESULT platform) const;
    void GetMinMaxInfo(MINMAXINFO* info) const;
    void PositionChanging(const WINDOWPOS& position);
    void Showing(BOOL show);
    BOOL EraseBackground(HDC dc) const;
    void DisplayChanged();
    void Activated(UINT state, BOOL minimized);

private:
    bool FitAndPresent(CSize size, bool withPosition);
    bool IsLayeredWindow() const;

    CWnd& m_window;
};
