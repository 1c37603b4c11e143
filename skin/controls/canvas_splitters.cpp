// Splitter bars on a canvas: the cursor over them and the drag that moves
// one. While the mouse drags, the bar's new place shows inverted on the
// composition; releasing the button moves the bar and lays the canvas out
// again.
#include "skin/canvas/canvas_core.h"
#include "skin/library.h"
#include "ui/cursors.h"

int CzCanvasCore::SplitterAt(CPoint client) const {
    if (!m_controls) return -1;
    const auto& splitters = m_controls->Splitters();
    for (size_t i = 0; i < splitters.size(); ++i) {
        if (splitters[i]->m_current.PtInRect(client)) return static_cast<int>(i);
    }
    return -1;
}

bool CzCanvasCore::SetSplitterCursor(CPoint screen) const {
    CPoint client = screen;
    m_window.ScreenToClient(&client);
    const int index = m_dragged >= 0 ? m_dragged : SplitterAt(client);
    if (index < 0) return false;
    const bool vertical = m_controls->Splitters()[static_cast<size_t>(index)]->IsVertical();
    SetCursor(LoadCursorW(CzLibraryInstance(), MAKEINTRESOURCEW(vertical ? CZ_CURSOR_LEFT_RIGHT : CZ_CURSOR_UP_DOWN)));
    return true;
}

void CzCanvasCore::InvertFeedback() {
    CzCanvasRecord* record = Record();
    if (record == nullptr || record->m_composition == nullptr || m_feedback.IsRectEmpty()) return;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, record->m_composition);
    PatBlt(dc, m_feedback.left, m_feedback.top, m_feedback.Width(), m_feedback.Height(), DSTINVERT);
    SelectObject(dc, previous);
    DeleteDC(dc);
    Present(&m_feedback, false);
}

bool CzCanvasCore::BeginSplitterDrag(CPoint client) {
    const int index = SplitterAt(client);
    if (index < 0) return false;
    m_dragged = index;
    m_feedback = m_controls->Splitters()[static_cast<size_t>(index)]->m_current;
    CPoint screen = client;
    m_window.ClientToScreen(&screen);
    SetSplitterCursor(screen);
    InvertFeedback();
    m_window.SetCapture();
    return true;
}

bool CzCanvasCore::DragSplitter(CPoint client) {
    if (m_dragged < 0) return false;
    const CzSplitterRecord& splitter = *m_controls->Splitters()[static_cast<size_t>(m_dragged)];
    InvertFeedback();
    const int offset = splitter.DragOffset(client);
    m_feedback = splitter.m_current;
    if (splitter.IsVertical()) {
        m_feedback.OffsetRect(offset, 0);
    } else {
        m_feedback.OffsetRect(0, offset);
    }
    InvertFeedback();
    return true;
}

bool CzCanvasCore::EndSplitterDrag(CPoint client) {
    if (m_dragged < 0) return false;
    InvertFeedback();
    CzSplitterRecord& splitter = *m_controls->Splitters()[static_cast<size_t>(m_dragged)];
    splitter.MoveBy(splitter.DragOffset(client));
    m_dragged = -1;
    m_feedback.SetRectEmpty();
    ReleaseCapture();
    if (CzCanvasRecord* record = Record()) record->Clear(nullptr);
    Relayout(false, false, WindowOrigin());
    return true;
}
