// What both canvas classes do, on the canvas window and its record: the
// canvas operations, presentation, hit-testing for moving and sizing,
// sizing limits, position changes, showing, display changes and activation.
#pragma once

#include "afx/drawing.h"
#include "afxwin/wnd.h"
#include "skin/buttons/buttons.h"
#include "skin/canvas/canvas_record.h"
#include "skin/controls/control_manager.h"
#include "skin/buttons/statics.h"

#include <memory>

// STYLE bits of the Canvas key.
inline constexpr DWORD CANVAS_RAISE_FOLLOWING = 0x1;  // a click into a popup control raises the canvases in front
inline constexpr DWORD CANVAS_RESIZABLE = 0x2;
inline constexpr DWORD CANVAS_VISIBLE = 0x10000000;
inline constexpr DWORD CANVAS_EMBEDDED = 0x40000000;
// The two messages canvases send each other, registered when the library
// loads: a popup control asks its owner canvas for its previous window
// procedure (wParam: the control, lParam: WNDPROC* to fill); a canvas
// dialog being shown asks its owner to repaint its embedded controls.
extern const UINT CZ_MSG_POPUP_PROCEDURE;
extern const UINT CZ_MSG_UPDATE_CONTROLS;

// The window user data of a canvas painted normally at constant alpha.
inline constexpr LONG_PTR CANVAS_MARKER = 3456;

// What a canvas window supplies for its statics: localised texts and
// changing pictures (null: the static's own).
class CzCanvasContent {
public:
    virtual LPCWSTR fnAcquireString(int id) = 0;
    virtual HBITMAP fnAcquireImage(int id) = 0;
    virtual HICON fnAcquireIcon(int id) = 0;

protected:
    ~CzCanvasContent() = default;
};

class CzCanvasCore {
public:
    CzCanvasCore(CWnd& window, CzCanvasContent& content) : m_window(window), m_content(content) {}

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
    // Kind 1: the canvas record; 2: the button; 3: the control; 4 to 6: the
    // static; 7: the splitter; otherwise null.
    CzLocation* GetPtrLocate(int kind, UINT id) const;
    bool DrawIcon(HICON icon, int x, int y, bool present);
    CFont* GetFont(int index) const;

    // Before a skin is applied again: the buttons (and the replaced
    // procedure), the popup controls and canvases with the control manager,
    // and every child window go; statics stay.
    void DiscardItems();

    // Controls, slots, splitters and embedded canvases.
    CzControlManager& Controls();
    HWND CreateCtrl(DWORD exStyle, LPCWSTR className, LPCWSTR text, DWORD style, const CRect& pos,
                    const CArray<CzRefObj>& refs, UINT id, int font);
    bool CreateCtrl(const CRect& pos, const CArray<CzRefObj>& refs, const CString& name);
    bool CreateCtrl(const CRect& pos, const CArray<CzRefObj>& refs, UINT id, int first, int second);
    bool AttachCtrl(HWND window, DWORD style, const CRect& pos, const CArray<CzRefObj>& refs, UINT id);
    void EmbedWindow(HWND canvas, const CString& name);
    void RemoveCtrl(HWND window);
    void EnableCtrl(UINT id, BOOL enable);
    void ShowCtrl(UINT id, BOOL show);
    // Dialog items: controls of the manager first, then the window's children.
    CWnd* GetDlgItem(UINT id) const;
    int GetDlgItemText(UINT id, LPWSTR buffer, int size) const;
    int GetDlgItemText(UINT id, CString& text) const;
    UINT GetDlgItemInt(UINT id, bool* ok, bool isSigned) const;
    void SetDlgItemText(UINT id, LPCWSTR text);
    void SetDlgItemInt(UINT id, UINT value, bool isSigned);
    // A popup control's WM_COMMAND carries no identifier: the control's
    // record gives it. False for other senders.
    bool IdentifyCommand(WPARAM& wParam, LPARAM sender) const;

    // Splitter bars: the splitter cursor over one, and the drag that moves
    // one (with inverted feedback on the composition).
    bool SetSplitterCursor(CPoint screen) const;
    bool BeginSplitterDrag(CPoint client);
    bool DragSplitter(CPoint client);
    bool EndSplitterDrag(CPoint client);

    // Buttons.
    void AddBtn(UINT id, HBITMAP strip, const CRect& pos, const CArray<CzRefObj>& refs, UINT frames, DWORD style);
    void SetRadioBtn(UINT first, UINT last);
    bool EnableBtn(UINT id, bool enable);
    bool ShowBtn(UINT id, bool show, bool redraw);
    bool CheckBtn(UINT id, bool check);
    void ChangeBtnText(UINT id, LPCWSTR text);
    bool ChangeBtnFace(UINT id, HBITMAP strip, UINT frames);
    CRect ChangeBtnPos(UINT id, int x, int y, bool redraw);
    bool DrawBtnFace(UINT id, LPCWSTR text, COLORREF colour, CFont* font);
    CRect GetBtnPos(UINT id) const;
    bool IsBtnEnabled(UINT id) const;
    bool IsBtnShown(UINT id) const;
    bool IsBtnChecked(UINT id) const;
    CzButtonManager* Buttons() const { return m_buttonManager.get(); }
    // Idle time: every button's update handler of the target, then hovers the cursor left.
    void UpdateButtonsUi(CCmdTarget& target);

    // Statics.
    void AddStatic(UINT kind, const CRect& pos, const CArray<CzRefObj>& refs, UINT id, HANDLE handle, UINT format,
                   UINT font, COLORREF colour);
    UINT SetStaticFormat(UINT id, UINT format);
    UINT SetStaticFont(UINT id, UINT font);
    COLORREF SetStaticColor(UINT id, COLORREF colour);
    bool DrawStatic(UINT id, bool present);
    bool ShowStatic(UINT id, int show, bool present);
    bool EnableStatic(UINT id, int enable, bool present);
    CRect GetStaticPos(UINT id) const;

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
    LRESULT PopupProcedure(WPARAM control, LPARAM target) const;
    void UpdateEmbeddedControls() const;
    // A canvas dialog without popup controls shown: its owner repaints its
    // embedded controls.
    void TellOwnerShown() const;

private:
    CPoint WindowOrigin() const;
    // Embedded in another canvas as a popup window (over a per-pixel host).
    bool EmbeddedPopup(const CzCanvasRecord& record) const;
    // Fits the composition to the size, then lays out and presents.
    bool FitAndPresent(CSize size, bool all, bool withPosition, CPoint origin);
    // Lays every item out again on the composition (the control windows of
    // a canvas whose client area starts at `origin`; all of them, or the
    // visible ones) and presents it.
    bool Relayout(bool all, bool withPosition, CPoint origin);
    // After the canvas record is resolved: splitter ranges for its size,
    // then the control manager's windows placed.
    void PlaceControls(const CzCanvasRecord& record, bool all, CPoint origin);
    // Controls go through the control manager on a per-pixel layered canvas.
    bool ManagesControls() const;
    // The window of the manager's control with the identifier, or null.
    HWND ManagedItem(UINT id) const;
    int SplitterAt(CPoint client) const;
    void InvertFeedback();
    bool IsLayeredWindow() const;
    // Places every item again and draws the visible ones, without presenting.
    void RedrawItems();
    bool DrawStatic(CzStaticRecord& record, bool present);

    CWnd& m_window;
    CzCanvasContent& m_content;
    std::unique_ptr<CzStaticManager> m_statics;
    std::unique_ptr<CzButtonManager> m_buttonManager;
    std::unique_ptr<CzControlManager> m_controls;
    int m_dragged = -1;  // the splitter being dragged
    int m_dragOffset = 0;
    CRect m_feedback;  // inverted on the composition while dragging
};
