// Rectangle arithmetic of the platform: a rectangle holds its left and top
// edges and excludes its right and bottom ones, and is empty when it has no
// width or no height.
#pragma once

#include "win/winuser.h"

BOOL SetRect(RECT* rect, int left, int top, int right, int bottom);
BOOL SetRectEmpty(RECT* rect);
BOOL CopyRect(RECT* destination, const RECT* source);
BOOL IsRectEmpty(const RECT* rect);
BOOL EqualRect(const RECT* a, const RECT* b);
BOOL PtInRect(const RECT* rect, POINT point);
BOOL OffsetRect(RECT* rect, int dx, int dy);
BOOL InflateRect(RECT* rect, int dx, int dy);
// The common part of a and b; an empty result is all zeros and answers FALSE.
BOOL IntersectRect(RECT* destination, const RECT* a, const RECT* b);
// The smallest rectangle holding both; an empty one is left out. FALSE (and
// all zeros) when both are empty.
BOOL UnionRect(RECT* destination, const RECT* a, const RECT* b);
