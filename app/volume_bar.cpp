#include "volume_bar.h"

#include <algorithm>

#include "app_messages.h"

namespace movanta::app {

BEGIN_MESSAGE_MAP(CVolumeBar, CCanvasBar)
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_MOUSEMOVE()
END_MESSAGE_MAP()

void CVolumeBar::SetUp(CWnd* canvas, HBITMAP background, HBITMAP indicator) {
    SetCanvas(canvas);
    m_background = CopyPicture(background);
    m_indicator = CopyPicture(indicator);
}

void CVolumeBar::SetValue(int value) {
    m_value = std::clamp(value, 0, kMaximum);
    Redraw();
}

void CVolumeBar::SetDisabled(bool disabled) {
    m_disabled = disabled;
    Redraw();
}

void CVolumeBar::Draw(Gdiplus::Graphics& graphics, int width, int height) {
    if (m_background) {
        graphics.DrawImage(m_background.get(), Gdiplus::Rect(0, 0, width, height), 0, 0,
                           static_cast<int>(m_background->GetWidth()), static_cast<int>(m_background->GetHeight()),
                           Gdiplus::UnitPixel);
    }
    if (m_disabled || !m_indicator) return;
    const int frameWidth = static_cast<int>(m_indicator->GetWidth()) / kFrames;
    const int frameHeight = static_cast<int>(m_indicator->GetHeight());
    const int top = (kMaximum - m_value) * kTrackLength / kMaximum + kTrackTop - frameHeight / 2;
    graphics.DrawImage(m_indicator.get(), Gdiplus::Rect(kTrackLeft, top, frameWidth, frameHeight), m_state * frameWidth,
                       0, frameWidth, frameHeight, Gdiplus::UnitPixel);
    m_hover = CRect(kTrackLeft, top, kTrackLeft + frameWidth, top + frameHeight);
}

void CVolumeBar::SetFrom(int y) {
    HoldMouse();
    m_dragging = true;
    m_state = 2;
    SetValue(kMaximum - (y - kTrackTop) * kMaximum / kTrackLength);
    Notify(WM_VOLUMEBAR_POS, static_cast<WPARAM>(m_value));
}

void CVolumeBar::OnLButtonDown(UINT, CPoint point) {
    if (m_disabled) return;
    if (OnTrack(point.y) || m_state == 1) SetFrom(point.y);
}

void CVolumeBar::OnMouseMove(UINT, CPoint point) {
    if (m_disabled) return;
    if (m_dragging) {
        if (OnTrack(point.y)) SetFrom(point.y);
        return;
    }
    m_state = TrackHover(point, m_hover) ? 1 : 0;
    Redraw();
}

void CVolumeBar::OnLButtonUp(UINT, CPoint) {
    if (m_disabled) return;
    ReleaseMouse();
    m_dragging = false;
    m_state = 0;
    // The pressed indicator would otherwise stay until the next change.
    Redraw();
}

}  // namespace movanta::app
