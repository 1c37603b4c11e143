// CWnd: a C++ object attached to a window handle. Messages reach the
// object's WindowProc through its message map (OnWndMsg); what the map does
// not handle goes to DefWindowProc, which calls the procedure the window
// had before it was attached (subclassing), or the platform's default.
#pragma once

#include "afx/cstring.h"
#include "afx/geometry.h"
#include "afxwin/cmdtarget.h"
#include "afxwin/dc.h"
#include "gdi/wingdi.h"

#include "ui/shell.h"

class CFont;
using LPCREATESTRUCTW = CREATESTRUCTW*;

class CWnd : public CCmdTarget {
    DECLARE_DYNCREATE(CWnd)
public:
    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }

    // The object attached to the handle; for a handle without one, a
    // temporary object that lives until the next idle time.
    static CWnd* FromHandle(HWND window);
    static CWnd* FromHandlePermanent(HWND window);
    static void DeleteTempMap();
    BOOL Attach(HWND window);
    HWND Detach();
    // Attaches and routes the window's messages through this object first.
    BOOL SubclassWindow(HWND window);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();

    virtual BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                          int height, HWND parent, HMENU menu, LPVOID parameter = nullptr);
    virtual BOOL Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                        LPVOID parameter = nullptr);
    virtual BOOL DestroyWindow();
    virtual BOOL PreCreateWindow(CREATESTRUCTW& create);
    virtual BOOL PreTranslateMessage(MSG* message);

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    LRESULT Default();

    CWnd* GetDlgItem(int id) const;
    UINT GetDlgItemText(int id, CString& text) const;
    int GetDlgItemText(int id, LPWSTR buffer, int capacity) const;
    UINT GetDlgItemInt(int id, BOOL* translated = nullptr, BOOL isSigned = TRUE) const;
    void SetDlgItemText(int id, LPCWSTR text);
    void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE);
    int GetDlgCtrlID() const;

    void SetWindowText(LPCWSTR text);
    void GetWindowText(CString& text) const;
    CWnd* GetParent() const;
    CWnd* GetOwner() const;
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT flags = 0);
    BOOL ShowWindow(int command);
    BOOL IsWindowVisible() const;
    BOOL IsZoomed() const;
    BOOL IsIconic() const;
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    void MoveWindow(const RECT& rect, BOOL repaint = TRUE);
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int width, int height, UINT flags);
    void GetWindowRect(RECT* rect) const;
    void GetClientRect(RECT* rect) const;
    void ClientToScreen(POINT* point) const;
    void ScreenToClient(POINT* point) const;
    void ScreenToClient(RECT* rect) const;
    void Invalidate(BOOL erase = TRUE);
    void InvalidateRect(const RECT* rect, BOOL erase = TRUE);
    void UpdateWindow();
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC procedure = nullptr);
    BOOL KillTimer(UINT_PTR id);
    CWnd* SetCapture();
    CWnd* SetFocus();
    void SetFont(CFont* font, BOOL redraw = TRUE);
    BOOL SetForegroundWindow();
    void DragAcceptFiles(BOOL accept = TRUE);
    void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0, BOOL deep = TRUE);

    // Offers the message to PreTranslateMessage of the objects of its
    // window and its parents up to `stop`; TRUE when one took it.
    static BOOL WalkPreTranslateTree(HWND stop, MSG* message);
    // The procedure of every attached window.
    static LRESULT AfxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    friend class CCmdUI;
    DECLARE_MESSAGE_MAP()

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Runs the message map; FALSE when no entry handled the message.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    // After WM_NCDESTROY, detached: frame windows delete themselves here.
    virtual void PostNcDestroy();

    afx_msg void OnNcDestroy();
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg int OnCreate(LPCREATESTRUCTW create);
    afx_msg void OnDestroy();
    afx_msg void OnClose();
    afx_msg void OnSize(UINT type, int width, int height);
    afx_msg void OnMove(int x, int y);
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnShowWindow(BOOL show, UINT status);
    afx_msg void OnActivate(UINT state, CWnd* other, BOOL minimized);
    afx_msg void OnEnable(BOOL enable);
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* info);
    afx_msg void OnWindowPosChanging(WINDOWPOS* position);
    afx_msg void OnWindowPosChanged(WINDOWPOS* position);
    afx_msg LRESULT OnNcHitTest(CPoint point);
    afx_msg BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT message);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnRButtonDown(UINT flags, CPoint point);
    afx_msg void OnRButtonUp(UINT flags, CPoint point);
    afx_msg void OnMouseLeave();
    afx_msg void OnCaptureChanged(CWnd* window);
    afx_msg void OnKeyDown(UINT key, UINT repeat, UINT flags);
    afx_msg void OnDropFiles(HDROP drop);
    afx_msg LRESULT OnDisplayChange(WPARAM bitsPerPixel, LPARAM size);

    WNDPROC m_pfnSuper = nullptr;  // the procedure before this object was attached
    const MSG* m_pCurrentMsg = nullptr;

private:
    friend struct CWndCreation;
};
