// CPoint, CSize and CRect over the platform's POINT, SIZE and RECT, with the
// platform's rectangle rules (win/rect.h).
#pragma once

#include <utility>

#include "win/rect.h"

class CSize : public SIZE {
public:
    CSize() : SIZE {0, 0} {}
    CSize(int cx, int cy) : SIZE {cx, cy} {}
    friend bool operator==(const CSize& a, const CSize& b) { return a.cx == b.cx && a.cy == b.cy; }
};

class CPoint : public POINT {
public:
    CPoint() : POINT {0, 0} {}
    CPoint(int x, int y) : POINT {x, y} {}
    CPoint(POINT point) : POINT(point) {}
    void Offset(int dx, int dy) {
        x += dx;
        y += dy;
    }
    friend bool operator==(const CPoint& a, const CPoint& b) { return a.x == b.x && a.y == b.y; }
    friend CPoint operator+(CPoint point, CSize size) { return {point.x + size.cx, point.y + size.cy}; }
    friend CSize operator-(CPoint a, CPoint b) { return {a.x - b.x, a.y - b.y}; }
};

class CRect : public RECT {
public:
    CRect() : RECT {0, 0, 0, 0} {}
    CRect(int left, int top, int right, int bottom) : RECT {left, top, right, bottom} {}
    CRect(const RECT& rect) : RECT(rect) {}
    CRect(CPoint topLeft, CSize size) : RECT {topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy} {}

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    CSize Size() const { return {Width(), Height()}; }
    CPoint TopLeft() const { return {left, top}; }
    CPoint BottomRight() const { return {right, bottom}; }
    CPoint CenterPoint() const { return {(left + right) / 2, (top + bottom) / 2}; }
    bool IsRectEmpty() const { return ::IsRectEmpty(this) != FALSE; }
    bool IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    bool PtInRect(POINT point) const { return ::PtInRect(this, point) != FALSE; }
    void SetRect(int l, int t, int r, int b) { ::SetRect(this, l, t, r, b); }
    void SetRectEmpty() { ::SetRectEmpty(this); }
    void OffsetRect(int dx, int dy) { ::OffsetRect(this, dx, dy); }
    void InflateRect(int dx, int dy) { ::InflateRect(this, dx, dy); }
    void DeflateRect(int dx, int dy) { ::InflateRect(this, -dx, -dy); }
    // Sets this to the common part or the union of a and b.
    bool IntersectRect(const RECT& a, const RECT& b) { return ::IntersectRect(this, &a, &b) != FALSE; }
    bool UnionRect(const RECT& a, const RECT& b) { return ::UnionRect(this, &a, &b) != FALSE; }
    // Swaps edges so that left <= right and top <= bottom.
    void NormalizeRect();
    friend bool operator==(const CRect& a, const CRect& b) { return ::EqualRect(&a, &b) != FALSE; }
};

inline void CRect::NormalizeRect() {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
}
