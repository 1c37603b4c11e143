// CProgressBar: the conversion's progress in the progress dialog, drawn
// from "ProgBar" (three cells: done, to do, spare) stretched across the bar.
#pragma once

#include "canvas_bar.h"

namespace movanta::app {

class CProgressBar : public CCanvasBar {
public:
    // The skinned dialog the bar draws into and a copy of its picture (it
    // stays the caller's).
    void SetUp(CWnd* dialog, HBITMAP picture);
    // Clamped to 0..100.
    void SetPercent(int percent);
    int Percent() const { return m_percent; }

protected:
    void Draw(Gdiplus::Graphics& graphics, int width, int height) override;

private:
    std::unique_ptr<Gdiplus::Bitmap> m_picture;
    int m_percent = 0;
};

}  // namespace movanta::app
