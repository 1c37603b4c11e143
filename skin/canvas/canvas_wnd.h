// CzCanvasWnd: a main or child window whose whole look comes from a skin
// section, made through the frame-window creation.
#pragma once

#include "afxwin/frame.h"
#include "skin/canvas/canvas_ops.h"

class CzCanvasWnd : public CzCanvasOps<CFrameWnd> {
    DECLARE_DYNCREATE(CzCanvasWnd)
public:
    // A popup that clips its children when it has no parent or its parent
    // is a per-pixel canvas (no 3456 marker), otherwise a child; positions
    // left to the system become 0, 0, 100 x 100 for non-popups; no menu and
    // no client edge.
    BOOL PreCreateWindow(CREATESTRUCTW& create) override;

protected:
    CzCanvasWnd() = default;
    DECLARE_MESSAGE_MAP()
    afx_msg int OnCreate(LPCREATESTRUCTW create);
    afx_msg LRESULT OnIdleUpdateCmdUI(WPARAM, LPARAM);
};
