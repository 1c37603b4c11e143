// CMediaBar: the position bar under the video. It shows the marked range
// and the playing position on a track, and the user drags the position;
// every change of position by the mouse posts WM_MEDIABAR_POS (0-100) to
// the parent.
#pragma once

#include "canvas_bar.h"

namespace movanta::app {

struct MediaBarPictures {
    HBITMAP background = nullptr;  // "MediaBkg", stretched over the bar
    HBITMAP track = nullptr;       // "MediaBar": three cells, marked part first, then the rest
    HBITMAP handle = nullptr;      // "MediaCur": four frames, normal then hovered or pressed
    HBITMAP start = nullptr;       // "MediaStart": four frames, its right edge at the start mark
    HBITMAP end = nullptr;         // "MediaEnd": four frames, its left edge at the end mark
};

class CMediaBar : public CCanvasBar {
public:
    static constexpr int kRange = 100;

    // The skinned parent the bar draws into and copies of its pictures
    // (they stay the caller's).
    void SetUp(CWnd* canvas, const MediaBarPictures& pictures);
    void SetMarks(int start, int end);
    void SetStartToPosition();
    void SetEndToPosition();
    void SetPosition(int position);
    void SetDraggable(bool draggable);
    // The disabled look: only the background and the empty track; the mouse
    // is ignored.
    void SetDisabled(bool disabled);

    int Position() const { return m_position; }
    int Start() const { return m_start; }
    int End() const { return m_end; }

protected:
    void Draw(Gdiplus::Graphics& graphics, int width, int height) override;

    DECLARE_MESSAGE_MAP()
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);

private:
    static constexpr int kTrackTop = 12;
    static constexpr int kHandleTop = 2;
    static constexpr int kMarkTop = 26;
    static constexpr int kFrames = 4;

    bool IgnoresMouse() const { return m_disabled || !m_draggable; }
    int CellWidth() const;
    int ClientWidth() const;
    // The position under client x, from 0 at the track's left end to the
    // range at its right end.
    int PositionAt(int x) const;
    void MoveTo(int x);

    std::unique_ptr<Gdiplus::Bitmap> m_background;
    std::unique_ptr<Gdiplus::Bitmap> m_track;
    std::unique_ptr<Gdiplus::Bitmap> m_handle;
    std::unique_ptr<Gdiplus::Bitmap> m_startMark;
    std::unique_ptr<Gdiplus::Bitmap> m_endMark;
    int m_start = 0;
    int m_end = kRange;
    int m_position = 0;
    bool m_disabled = true;
    bool m_draggable = true;
    bool m_dragging = false;
    int m_handleState = 0;  // 0 normal, 1 hovered or pressed
    CRect m_hover;          // where the handle was drawn last
};

}  // namespace movanta::app
