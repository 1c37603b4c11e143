// The records a canvas keeps for what sits in it besides its own drawing:
// real control windows, named slots where other canvases are embedded, and
// splitter bars that re-divide the layout.
#pragma once

#include "afx/cstring.h"
#include "skin/canvas/location.h"
#include "win/winuser.h"

// Whether the window is a popup (a control glued over a per-pixel canvas,
// or a canvas embedded in one) rather than a child.
inline bool CzIsPopupWindow(HWND window) {
    return (static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)) & WS_POPUP) != 0;
}

// A slot is a control record of this kind, without a window.
inline constexpr int LOCATION_SLOT = 8;

struct CzControlRecord : CzLocation {
    CzControlRecord() { m_kind = LOCATION_CONTROL; }
    // Gives a subclassed window that still lives its previous procedure
    // back, and deletes the font made for the control.
    ~CzControlRecord();
    CzControlRecord(const CzControlRecord&) = delete;
    CzControlRecord& operator=(const CzControlRecord&) = delete;

    HWND m_window = nullptr;
    UINT m_id = 0;
    HFONT m_font = nullptr;  // made for the control (owned); null with a package font
    bool m_enabled = true;
    bool m_visible = false;
    bool m_attached = false;  // another canvas's window; this one only keeps it in step
    WNDPROC m_previous = nullptr;
    CString m_name;  // slots: the name of the canvas that goes there
};

struct CzSplitterRecord : CzLocation {
    CzSplitterRecord() { m_kind = LOCATION_SPLITTER; }

    UINT m_id = 0;
    int m_first = 0;    // the smallest centre the bar may have
    int m_second = 0;   // the margin kept at the far side
    int m_largest = 0;  // the largest centre, from the canvas's size

    // A bar narrower than it is tall moves left and right.
    bool IsVertical() const { return m_design.Width() < m_design.Height(); }
    int Centre() const;
    // The largest centre for a canvas of that size.
    void SetExtent(CSize canvas);
    // How far the bar moves for the cursor at `point`: the cursor's
    // coordinate along the bar's axis, kept within the bar's range, less
    // the bar's centre.
    int DragOffset(CPoint point) const;
    // Moves the design and current rectangles along the bar's axis.
    void MoveBy(int offset);
};
