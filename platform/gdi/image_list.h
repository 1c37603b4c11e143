// Image lists and icons: a strip of equal frames cut into images whose
// pixels of a mask colour are transparent, and icons taken from them and
// drawn with their transparency.
#pragma once

#include "gdi/wingdi.h"

struct HICON__;
using HICON = HICON__*;
struct _IMAGELIST;
using HIMAGELIST = _IMAGELIST*;

inline constexpr UINT ILC_MASK = 0x0001;
inline constexpr UINT ILC_COLOR24 = 0x0018;
inline constexpr UINT ILC_COLOR32 = 0x0020;
inline constexpr UINT ILD_NORMAL = 0x0000;
inline constexpr UINT DI_NORMAL = 0x0003;

// A list of cx x cy images; null for a size of 0 or less.
HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow);
BOOL ImageList_Destroy(HIMAGELIST list);
int ImageList_GetImageCount(HIMAGELIST list);
// Cuts the bitmap into images of the list's width, left to right (at least
// one), from its top rows; with ILC_MASK pixels of the mask colour become
// transparent. A 32-bit bitmap in an ILC_COLOR32 list keeps its alpha.
// Answers the index of the first image added, or -1.
int ImageList_AddMasked(HIMAGELIST list, HBITMAP bitmap, COLORREF mask);
// A new icon of the image, or null for an index out of range.
HICON ImageList_GetIcon(HIMAGELIST list, int index, UINT flags);
// Draws the icon at (x, y), stretched to cx x cy (its own size for 0):
// transparent pixels leave the destination, pixels with alpha blend over it.
BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT step, HBRUSH background, UINT flags);
BOOL DestroyIcon(HICON icon);
