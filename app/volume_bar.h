// CVolumeBar: the vertical volume slider. Its track runs from y 30 (the
// loudest) down to y 107 (silent); every change by the mouse posts
// WM_VOLUMEBAR_POS with the new value (0-100) to the parent.
#pragma once

#include "canvas_bar.h"

namespace movanta::app {

class CVolumeBar : public CCanvasBar {
public:
    static constexpr int kMaximum = 100;

    // The skinned parent and copies of "VolBar" (stretched over the bar)
    // and "VolInd" (four frames: normal, hovered, pressed, spare).
    void SetUp(CWnd* canvas, HBITMAP background, HBITMAP indicator);
    // Clamped to 0..kMaximum.
    void SetValue(int value);
    int Value() const { return m_value; }
    // The disabled look: the background alone; the mouse is ignored.
    void SetDisabled(bool disabled);

protected:
    void Draw(Gdiplus::Graphics& graphics, int width, int height) override;

    DECLARE_MESSAGE_MAP()
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);

private:
    static constexpr int kTrackLeft = 8;
    static constexpr int kTrackTop = 30;
    static constexpr int kTrackLength = 77;
    static constexpr int kFrames = 4;

    static bool OnTrack(int y) { return y >= kTrackTop && y <= kTrackTop + kTrackLength; }
    void SetFrom(int y);

    std::unique_ptr<Gdiplus::Bitmap> m_background;
    std::unique_ptr<Gdiplus::Bitmap> m_indicator;
    int m_value = 0;
    bool m_disabled = true;
    bool m_dragging = false;
    int m_state = 0;  // 0 normal, 1 hovered, 2 pressed
    CRect m_hover;    // where the indicator was drawn last
};

}  // namespace movanta::app
