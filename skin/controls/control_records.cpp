#include "skin/controls/control_records.h"

#include <algorithm>

#include "gdi/wingdi.h"

CzControlRecord::~CzControlRecord() {
    if (m_previous != nullptr && IsWindow(m_window)) {
        SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previous));
    }
    if (m_font != nullptr) DeleteObject(m_font);
}

int CzSplitterRecord::Centre() const {
    return IsVertical() ? (m_current.left + m_current.right) / 2 : (m_current.top + m_current.bottom) / 2;
}

void CzSplitterRecord::SetExtent(CSize canvas) {
    m_largest = (IsVertical() ? canvas.cx : canvas.cy) - m_second;
}

int CzSplitterRecord::DragOffset(CPoint point) const {
    const int wanted = IsVertical() ? point.x : point.y;
    // A range that closed up (a canvas narrower than both margins) keeps
    // the bar at its first margin.
    return std::max(m_first, std::min(wanted, m_largest)) - Centre();
}

void CzSplitterRecord::MoveBy(int offset) {
    if (IsVertical()) {
        m_design.OffsetRect(offset, 0);
        m_current.OffsetRect(offset, 0);
    } else {
        m_design.OffsetRect(0, offset);
        m_current.OffsetRect(0, offset);
    }
}
