#include "progress_bar.h"

#include <algorithm>

namespace movanta::app {

void CProgressBar::SetUp(CWnd* dialog, HBITMAP picture) {
    SetCanvas(dialog);
    m_picture = CopyPicture(picture);
}

void CProgressBar::SetPercent(int percent) {
    m_percent = std::clamp(percent, 0, 100);
    Redraw();
}

void CProgressBar::Draw(Gdiplus::Graphics& graphics, int width, int height) {
    if (!m_picture) return;
    const int cell = static_cast<int>(m_picture->GetWidth()) / 3;
    const int cellHeight = static_cast<int>(m_picture->GetHeight());
    graphics.DrawImage(m_picture.get(), Gdiplus::Rect(0, 0, width, height), cell + 1, 0, cell, cellHeight,
                       Gdiplus::UnitPixel);
    const int done = m_percent * cell / 100;
    if (done <= 0) return;
    graphics.DrawImage(m_picture.get(), Gdiplus::Rect(0, 0, m_percent * width / 100, height), 0, 0, done, cellHeight,
                       Gdiplus::UnitPixel);
}

}  // namespace movanta::app
