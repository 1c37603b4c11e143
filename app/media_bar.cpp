#include "media_bar.h"

#include <algorithm>

#include "app_messages.h"

namespace movanta::app {
namespace {

constexpr Gdiplus::ARGB kPositionLine = 0xFFFFFFFF;

int Width(const std::unique_ptr<Gdiplus::Bitmap>& picture) {
    return picture ? static_cast<int>(picture->GetWidth()) : 0;
}

int Height(const std::unique_ptr<Gdiplus::Bitmap>& picture) {
    return picture ? static_cast<int>(picture->GetHeight()) : 0;
}

// Source area (x, width) of `picture` drawn unscaled at (x, y).
void DrawPart(Gdiplus::Graphics& graphics, const std::unique_ptr<Gdiplus::Bitmap>& picture, int x, int y, int sourceX,
              int width) {
    if (!picture || width <= 0) return;
    graphics.DrawImage(picture.get(), Gdiplus::Rect(x, y, width, Height(picture)), sourceX, 0, width, Height(picture),
                       Gdiplus::UnitPixel);
}

}  // namespace

BEGIN_MESSAGE_MAP(CMediaBar, CCanvasBar)
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_MOUSEMOVE()
END_MESSAGE_MAP()

void CMediaBar::SetUp(CWnd* canvas, const MediaBarPictures& pictures) {
    SetCanvas(canvas);
    m_background = CopyPicture(pictures.background);
    m_track = CopyPicture(pictures.track);
    m_handle = CopyPicture(pictures.handle);
    m_startMark = CopyPicture(pictures.start);
    m_endMark = CopyPicture(pictures.end);
}

void CMediaBar::SetMarks(int start, int end) {
    m_start = std::clamp(start, 0, kRange);
    m_end = std::clamp(end, 0, kRange);
    Redraw();
}

void CMediaBar::SetStartToPosition() {
    m_start = m_position;
    Redraw();
}

void CMediaBar::SetEndToPosition() {
    m_end = m_position;
    Redraw();
}

void CMediaBar::SetPosition(int position) {
    m_position = std::clamp(position, 0, kRange);
    Redraw();
}

void CMediaBar::SetDraggable(bool draggable) {
    m_draggable = draggable;
    Redraw();
}

void CMediaBar::SetDisabled(bool disabled) {
    m_disabled = disabled;
    Redraw();
}

int CMediaBar::CellWidth() const { return Width(m_track) / 3; }

int CMediaBar::ClientWidth() const {
    CRect client;
    GetClientRect(&client);
    return client.Width();
}

int CMediaBar::PositionAt(int x) const {
    const int cell = CellWidth();
    if (cell <= 0) return 0;
    const int along = std::clamp(x - (ClientWidth() - cell) / 2, 0, cell);
    return along * kRange / cell;
}

void CMediaBar::Draw(Gdiplus::Graphics& graphics, int width, int height) {
    if (m_background) {
        graphics.DrawImage(m_background.get(), Gdiplus::Rect(0, 0, width, height), 0, 0, Width(m_background),
                           Height(m_background), Gdiplus::UnitPixel);
    }
    const int cell = CellWidth();
    const int left = (width - cell) / 2;
    DrawPart(graphics, m_track, left, kTrackTop, cell + 1, cell);
    if (m_disabled || cell <= 0) return;
    const auto at = [&](int value) { return left + cell * value / kRange; };
    DrawPart(graphics, m_track, at(m_start), kTrackTop, cell * m_start / kRange, (m_end - m_start) * cell / kRange);
    const int handleWidth = Width(m_handle) / kFrames;
    const int handleLeft = at(m_position) - handleWidth / 2;
    DrawPart(graphics, m_handle, handleLeft, kHandleTop, m_handleState * handleWidth, handleWidth);
    m_hover = CRect(handleLeft, kHandleTop, handleLeft + handleWidth, kHandleTop + Height(m_handle));
    const int startWidth = Width(m_startMark) / kFrames;
    DrawPart(graphics, m_startMark, at(m_start) - startWidth, kMarkTop, 0, startWidth);
    DrawPart(graphics, m_endMark, at(m_end), kMarkTop, 0, Width(m_endMark) / kFrames);
    const Gdiplus::Pen line {Gdiplus::Color(kPositionLine)};
    graphics.DrawLine(&line, at(m_position), 15, at(m_position), kTrackTop + Height(m_track) - 2);
}

void CMediaBar::MoveTo(int x) {
    m_position = PositionAt(x);
    Redraw();
    Notify(WM_MEDIABAR_POS, static_cast<WPARAM>(m_position));
}

void CMediaBar::OnLButtonDown(UINT, CPoint point) {
    if (IgnoresMouse()) return;
    HoldMouse();
    m_dragging = true;
    m_handleState = 1;
    MoveTo(point.x);
}

void CMediaBar::OnMouseMove(UINT, CPoint point) {
    if (IgnoresMouse()) return;
    if (m_dragging) {
        MoveTo(point.x);
        return;
    }
    m_handleState = TrackHover(point, m_hover) ? 1 : 0;
    Redraw();
}

void CMediaBar::OnLButtonUp(UINT, CPoint) {
    if (IgnoresMouse()) return;
    ReleaseMouse();
    m_dragging = false;
    m_handleState = 0;
    Redraw();
}

}  // namespace movanta::app
