// CCanvasBar: what the application's bars share. A bar is a child window
// that takes the mouse but never paints the screen: it draws itself with
// GDI+ into an off-screen picture of its size and hands that to its skinned
// parent, which composes it into its canvas.
#pragma once

#include <memory>

#include "afxwin/wnd.h"
#include "gdi/gdiplus.h"

namespace movanta::app {

class CCanvasBar : public CWnd {
public:
    ~CCanvasBar() override;

protected:
    // A GDI+ copy of a skin picture (null for none); the picture stays the
    // caller's.
    static std::unique_ptr<Gdiplus::Bitmap> CopyPicture(HBITMAP picture);
    // The skinned window (a canvas window or dialog) the picture goes to.
    void SetCanvas(CWnd* canvas) { m_canvas = canvas; }
    CWnd* Canvas() const { return m_canvas; }
    // Draws the whole bar afresh and hands it to the canvas at once; nothing
    // before the window exists.
    void Redraw();
    // Paints the client area, width x height, on `graphics`.
    virtual void Draw(Gdiplus::Graphics& graphics, int width, int height) = 0;
    // The mouse is the bar's until ReleaseMouse (only what it took itself
    // is released).
    void HoldMouse();
    void ReleaseMouse();
    // A move without a button over the bar: true over `handle`, where the
    // bar holds the mouse so that it hears when it leaves; else the mouse is
    // let go.
    bool TrackHover(CPoint point, const CRect& handle);
    void Notify(UINT message, WPARAM wParam) const;

    DECLARE_MESSAGE_MAP()
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);

private:
    CWnd* m_canvas = nullptr;
};

}  // namespace movanta::app
