// The canvas operations and message handlers that CzCanvasDlg and
// CzCanvasWnd share, over their platform base class.
#pragma once

#include "afxwin/dc.h"
#include "skin/canvas/canvas_core.h"
#include "skin/package/skin_parser.h"

template <class Base>
class CzCanvasOps : public Base, public CzCanvasContent {
public:
    using Base::Base;

    // Rebuilds the canvas from a skin section: buttons and child windows go,
    // then the section's keys build the canvas again. The parser's
    // exceptions reach the caller.
    void fnParseScript(LPCWSTR package, LPCWSTR section) {
        m_canvas.DiscardItems();
        m_parser.fnParse(package, section, this);
    }
    const CzSkinParser& fnGetParser() const { return m_parser; }

    void fnSetLocation(const CRect& pos, CArray<CzRefObj>& refs) { m_canvas.SetLocation(pos, refs); }
    bool fnSetCanvas(HBITMAP image, HBITMAP mask, DWORD style, const CRect& grid, bool present) {
        return m_canvas.SetCanvas(image, mask, style, grid, present);
    }
    bool fnSetAlpha(BYTE alpha, bool present) { return m_canvas.SetAlpha(alpha, present); }
    BYTE fnGetAlpha() const { return m_canvas.GetAlpha(); }
    bool fnDrawCanvas(const CRect& rect, HBITMAP bitmap, int x, int y, bool present) {
        return m_canvas.DrawCanvas(rect, bitmap, x, y, present);
    }
    bool fnDrawCanvas(LPCWSTR text, const CRect& rect, UINT format, COLORREF colour, CFont* font, bool soft,
                      HBITMAP background, bool present) {
        return m_canvas.DrawCanvas(text, rect, format, colour, font, soft, background, present);
    }
    bool fnClearCanvas(const CRect* rect, bool present) { return m_canvas.ClearCanvas(rect, present); }
    void fnRefresh(int resolved) { m_canvas.Refresh(resolved); }
    BOOL fnShowWindow(int command) { return m_canvas.ShowWindow(command); }
    BOOL fnEnableWindow(BOOL enable) { return m_canvas.EnableWindow(enable); }
    BOOL fnSetWindowPos(const CWnd* after, int x, int y, int cx, int cy, UINT flags) {
        return m_canvas.SetWindowPos(after, x, y, cx, cy, flags);
    }
    CzLocation* fnGetPtrLocate(int kind, UINT id) const { return m_canvas.GetPtrLocate(kind, id); }
    bool fnDrawCanvas(HICON icon, int x, int y, bool present) { return m_canvas.DrawIcon(icon, x, y, present); }
    CFont* fnGetFont(int index) const { return m_canvas.GetFont(index); }

    void fnAddBtn(UINT id, HBITMAP strip, const CRect& pos, CArray<CzRefObj>& refs, UINT frames, DWORD style) {
        m_canvas.AddBtn(id, strip, pos, refs, frames, style);
    }
    void fnSetRadioBtn(UINT first, UINT last) { m_canvas.SetRadioBtn(first, last); }
    bool fnEnableBtn(UINT id, bool enable) { return m_canvas.EnableBtn(id, enable); }
    bool fnShowBtn(UINT id, bool show, bool redraw) { return m_canvas.ShowBtn(id, show, redraw); }
    bool fnCheckBtn(UINT id, bool check) { return m_canvas.CheckBtn(id, check); }
    void fnChangeBtnText(UINT id, LPCWSTR text) { m_canvas.ChangeBtnText(id, text); }
    bool fnChangeBtnFace(UINT id, HBITMAP strip, UINT frames) { return m_canvas.ChangeBtnFace(id, strip, frames); }
    CRect fnChangeBtnPos(UINT id, int x, int y, bool redraw) { return m_canvas.ChangeBtnPos(id, x, y, redraw); }
    bool fnDrawBtnFace(UINT id, LPCWSTR text, COLORREF colour, CFont* font) {
        return m_canvas.DrawBtnFace(id, text, colour, font);
    }
    CRect fnGetBtnPos(UINT id) const { return m_canvas.GetBtnPos(id); }
    bool fnIsBtnEnabled(UINT id) const { return m_canvas.IsBtnEnabled(id); }
    bool fnIsBtnShown(UINT id) const { return m_canvas.IsBtnShown(id); }
    bool fnIsBtnChecked(UINT id) const { return m_canvas.IsBtnChecked(id); }

    void fnAddStatic(UINT kind, const CRect& pos, CArray<CzRefObj>& refs, UINT id, HANDLE handle, UINT format,
                     UINT font, COLORREF colour) {
        m_canvas.AddStatic(kind, pos, refs, id, handle, format, font, colour);
    }
    UINT fnSetStaticFormat(UINT id, UINT format) { return m_canvas.SetStaticFormat(id, format); }
    UINT fnSetStaticFont(UINT id, UINT font) { return m_canvas.SetStaticFont(id, font); }
    COLORREF fnSetStaticColor(UINT id, COLORREF colour) { return m_canvas.SetStaticColor(id, colour); }
    bool fnDrawStatic(UINT id, bool present) { return m_canvas.DrawStatic(id, present); }
    bool fnShowStatic(UINT id, int show, bool present) { return m_canvas.ShowStatic(id, show, present); }
    bool fnEnableStatic(UINT id, int enable, bool present) { return m_canvas.EnableStatic(id, enable, present); }
    CRect fnGetStaticPos(UINT id) const { return m_canvas.GetStaticPos(id); }

    HWND fnCreateCtrl(DWORD exStyle, LPCWSTR className, LPCWSTR text, DWORD style, const CRect& pos,
                      CArray<CzRefObj>& refs, UINT id, int font) {
        return m_canvas.CreateCtrl(exStyle, className, text, style, pos, refs, id, font);
    }
    bool fnCreateCtrl(const CRect& pos, CArray<CzRefObj>& refs, const CString& name) {
        return m_canvas.CreateCtrl(pos, refs, name);
    }
    bool fnCreateCtrl(const CRect& pos, CArray<CzRefObj>& refs, UINT id, int first, int second) {
        return m_canvas.CreateCtrl(pos, refs, id, first, second);
    }
    bool fnAttachCtrl(HWND window, DWORD style, const CRect& pos, CArray<CzRefObj>& refs, UINT id) {
        return m_canvas.AttachCtrl(window, style, pos, refs, id);
    }
    void fnEmbedWindow(HWND canvas, const CString& name) { m_canvas.EmbedWindow(canvas, name); }
    void fnRemoveCtrl(HWND window) { m_canvas.RemoveCtrl(window); }
    void fnEnableCtrl(UINT id, BOOL enable) { m_canvas.EnableCtrl(id, enable); }
    void fnShowCtrl(UINT id, BOOL show) { m_canvas.ShowCtrl(id, show); }
    CWnd* fnGetDlgItem(UINT id) const { return m_canvas.GetDlgItem(id); }
    int fnGetDlgItemText(UINT id, LPWSTR buffer, int size) const { return m_canvas.GetDlgItemText(id, buffer, size); }
    int fnGetDlgItemText(UINT id, CString& text) const { return m_canvas.GetDlgItemText(id, text); }
    UINT fnGetDlgItemInt(UINT id, bool* ok = nullptr, bool isSigned = true) const {
        return m_canvas.GetDlgItemInt(id, ok, isSigned);
    }
    void fnSetDlgItemText(UINT id, LPCWSTR text) { m_canvas.SetDlgItemText(id, text); }
    void fnSetDlgItemInt(UINT id, UINT value, bool isSigned = true) { m_canvas.SetDlgItemInt(id, value, isSigned); }

    // What a subclass supplies for text, image and icon statics.
    LPCWSTR fnAcquireString(int) override { return nullptr; }
    HBITMAP fnAcquireImage(int) override { return nullptr; }
    HICON fnAcquireIcon(int) override { return nullptr; }

protected:
    // Notifications of popup controls get the control's identifier.
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        if (message == WM_COMMAND) m_canvas.IdentifyCommand(wParam, lParam);
        return Base::OnWndMsg(message, wParam, lParam, result);
    }
    // A press on a splitter bar drags it until the button comes up.
    afx_msg void OnLButtonDown(UINT flags, CPoint point) {
        if (!m_canvas.BeginSplitterDrag(point)) Base::OnLButtonDown(flags, point);
    }
    afx_msg void OnMouseMove(UINT flags, CPoint point) {
        if (!m_canvas.DragSplitter(point)) Base::OnMouseMove(flags, point);
    }
    afx_msg void OnLButtonUp(UINT flags, CPoint point) {
        if (!m_canvas.EndSplitterDrag(point)) Base::OnLButtonUp(flags, point);
    }
    afx_msg BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT message) {
        CPoint cursor;
        GetCursorPos(&cursor);
        if (hitTest == HTCLIENT && m_canvas.SetSplitterCursor(cursor)) return TRUE;
        return Base::OnSetCursor(window, hitTest, message);
    }
    afx_msg LRESULT OnNcHitTest(CPoint point) { return m_canvas.HitTest(point, Base::OnNcHitTest(point)); }
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* info) {
        Base::OnGetMinMaxInfo(info);
        m_canvas.GetMinMaxInfo(info);
    }
    afx_msg void OnWindowPosChanging(WINDOWPOS* position) {
        Base::OnWindowPosChanging(position);
        if (position != nullptr) m_canvas.PositionChanging(*position);
    }
    // Only a show or hide of the window itself, not one caused by its parent.
    afx_msg void OnShowWindow(BOOL show, UINT status) {
        Base::OnShowWindow(show, status);
        if (status == 0) m_canvas.Showing(show);
    }
    afx_msg BOOL OnEraseBkgnd(CDC* dc) {
        return m_canvas.EraseBackground(dc != nullptr ? dc->GetSafeHdc() : nullptr) || Base::OnEraseBkgnd(dc);
    }
    afx_msg void OnPaint() { CPaintDC paint(this); }  // erasing drew the composition
    afx_msg LRESULT OnDisplayChange(WPARAM, LPARAM) {
        m_canvas.DisplayChanged();
        return 0;
    }
    afx_msg void OnActivate(UINT state, CWnd* other, BOOL minimized) {
        Base::OnActivate(state, other, minimized);
        m_canvas.Activated(state, minimized);
    }
    afx_msg LRESULT OnPopupProcedure(WPARAM control, LPARAM target) { return m_canvas.PopupProcedure(control, target); }
    afx_msg LRESULT OnUpdateControls(WPARAM, LPARAM) {
        m_canvas.UpdateEmbeddedControls();
        return 0;
    }
    afx_msg void OnDestroy() {
        m_canvas.Unregister();
        Base::OnDestroy();
    }

    CzSkinParser m_parser;
    CzCanvasCore m_canvas {*this, *this};
};

// The message-map entries both canvas classes route to the shared handlers.
#define CZ_CANVAS_MESSAGES()                                        \
    ON_WM_NCHITTEST()                                               \
    ON_WM_GETMINMAXINFO()                                           \
    ON_WM_WINDOWPOSCHANGING()                                       \
    ON_WM_SHOWWINDOW()                                              \
    ON_WM_ERASEBKGND()                                              \
    ON_WM_PAINT()                                                   \
    ON_WM_DISPLAYCHANGE()                                           \
    ON_WM_ACTIVATE()                                                \
    ON_WM_LBUTTONDOWN()                                             \
    ON_WM_MOUSEMOVE()                                               \
    ON_WM_LBUTTONUP()                                               \
    ON_WM_SETCURSOR()                                               \
    ON_REGISTERED_MESSAGE(CZ_MSG_POPUP_PROCEDURE, OnPopupProcedure) \
    ON_REGISTERED_MESSAGE(CZ_MSG_UPDATE_CONTROLS, OnUpdateControls) \
    ON_WM_DESTROY()
