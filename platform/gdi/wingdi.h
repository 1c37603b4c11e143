// The drawing interface of the platform, the part the skin library and the
// application draw with: device-independent bitmaps of 1, 4, 8, 24 and 32
// bits per pixel (bottom-up or top-down, with colour tables), memory device
// contexts, copies and stretches, brushes and rectangle fills, alpha
// blending and rectangle regions. Coordinates are pixels from the top-left
// corner; rectangles exclude their right and bottom edges.
#pragma once

#include "win/bitmap_types.h"
#include "win/rect.h"

// Any drawing object: bitmaps, brushes and regions convert to it.
using HGDIOBJ = void*;
struct HBITMAP__;
using HBITMAP = HBITMAP__*;
struct HDC__;
using HDC = HDC__*;
struct HRGN__;
using HRGN = HRGN__*;
struct HFONT__;
using HFONT = HFONT__*;
// HBRUSH is the window layer's (win/winuser.h).

using COLORREF = DWORD;
constexpr COLORREF RGB(BYTE red, BYTE green, BYTE blue) {
    return red | (green << 8) | (static_cast<DWORD>(blue) << 16);
}
constexpr BYTE GetRValue(COLORREF colour) {
    return static_cast<BYTE>(colour & 0xFF);
}
constexpr BYTE GetGValue(COLORREF colour) {
    return static_cast<BYTE>((colour >> 8) & 0xFF);
}
constexpr BYTE GetBValue(COLORREF colour) {
    return static_cast<BYTE>((colour >> 16) & 0xFF);
}
inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];  // as many as the header says
};

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    void* bmBits;
};

struct DIBSECTION {
    BITMAP dsBm;
    BITMAPINFOHEADER dsBmih;
    DWORD dsBitfields[3];
    HANDLE dshSection;
    DWORD dsOffset;
};

struct BLENDFUNCTION {
    BYTE BlendOp;
    BYTE BlendFlags;
    BYTE SourceConstantAlpha;
    BYTE AlphaFormat;
};

inline constexpr UINT DIB_RGB_COLORS = 0;
inline constexpr DWORD SRCCOPY = 0x00CC0020;
inline constexpr DWORD PATCOPY = 0x00F00021;
inline constexpr DWORD PATINVERT = 0x005A0049;
inline constexpr DWORD DSTINVERT = 0x00550009;
inline constexpr DWORD BLACKNESS = 0x00000042;
inline constexpr DWORD WHITENESS = 0x00FF0062;
inline constexpr int BLACKONWHITE = 1;
inline constexpr int WHITEONBLACK = 2;
inline constexpr int COLORONCOLOR = 3;
inline constexpr int HALFTONE = 4;
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;
inline constexpr int LOGPIXELSX = 88;
inline constexpr int LOGPIXELSY = 90;
inline constexpr BYTE AC_SRC_OVER = 0x00;
inline constexpr BYTE AC_SRC_ALPHA = 0x01;
inline constexpr int RGN_AND = 1;
inline constexpr int RGN_OR = 2;
inline constexpr int RGN_XOR = 3;
inline constexpr int RGN_DIFF = 4;
inline constexpr int RGN_COPY = 5;
inline constexpr int RGN_ERROR = 0;
inline constexpr int NULLREGION = 1;
inline constexpr int SIMPLEREGION = 2;
inline constexpr int COMPLEXREGION = 3;

// Bitmaps. A DIB section's pixels are the caller's to write through *bits
// (rows padded to 4 bytes, bottom row first unless the height is negative).
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset);
// A bitmap's BITMAP or (with room for it) DIBSECTION, a font's LOGFONTW;
// answers the bytes written, or with a null `out` the bytes needed.
int GetObjectW(HGDIOBJ object, int size, void* out);
BOOL DeleteObject(HGDIOBJ object);

// Memory device contexts, with a 1x1 bitmap selected at first.
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
// Selects a bitmap, brush or font; answers the one it replaces, or null.
// Text is drawn with the system's default font until one is selected.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
COLORREF SetTextColor(HDC dc, COLORREF colour);
COLORREF GetTextColor(HDC dc);
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);
// LOGPIXELSX and LOGPIXELSY answer 96.
int GetDeviceCaps(HDC dc, int index);

HBRUSH CreateSolidBrush(COLORREF colour);
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
// SRCCOPY: formats are converted through RGB, and a copy into 32 bits from
// fewer leaves the alpha byte 0; between bitmaps of the same format the
// bytes move unchanged. PatBlt takes PATCOPY, PATINVERT (brush XOR
// destination), DSTINVERT, BLACKNESS and WHITENESS.
BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);
BOOL BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int sx, int sy, DWORD rop);
// COLORONCOLOR (and the two mono modes) pick the nearest source pixel:
// destination column i takes source column sx + i * sw / dw; HALFTONE
// averages the source area.
BOOL StretchBlt(HDC destination, int x, int y, int width, int height, HDC source, int sx, int sy, int sw, int sh,
                DWORD rop);
// Source over destination with the constant alpha, and with AC_SRC_ALPHA
// the source's own (premultiplied) alpha as well.
BOOL AlphaBlend(HDC destination, int x, int y, int width, int height, HDC source, int sx, int sy, int sw, int sh,
                BLENDFUNCTION blend);

inline constexpr LONG FW_NORMAL = 400;
inline constexpr LONG FW_BOLD = 700;
inline constexpr BYTE NONANTIALIASED_QUALITY = 3;
inline constexpr BYTE ANTIALIASED_QUALITY = 4;
inline constexpr int LF_FACESIZE = 32;

struct LOGFONTW {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    WCHAR lfFaceName[LF_FACESIZE];
};

// Fonts, drawn by Qt's font engine. A negative height is the characters'
// height in pixels, a positive one the cell's (characters and leading), 0 a
// default; weight 100-900; quality ANTIALIASED_QUALITY smooths edges,
// NONANTIALIASED_QUALITY does not, anything else leaves it to the engine.
// A face that is not installed falls back to the system's sans serif.
HFONT CreateFontIndirectW(const LOGFONTW* font);

inline constexpr UINT DT_TOP = 0x0000;
inline constexpr UINT DT_LEFT = 0x0000;
inline constexpr UINT DT_CENTER = 0x0001;
inline constexpr UINT DT_RIGHT = 0x0002;
inline constexpr UINT DT_VCENTER = 0x0004;
inline constexpr UINT DT_BOTTOM = 0x0008;
inline constexpr UINT DT_WORDBREAK = 0x0010;
inline constexpr UINT DT_SINGLELINE = 0x0020;
inline constexpr UINT DT_CALCRECT = 0x0400;
inline constexpr UINT DT_NOPREFIX = 0x0800;
inline constexpr UINT DT_END_ELLIPSIS = 0x8000;

// Draws text in the rectangle with the selected font and text colour,
// clipped to it: lines break at line feeds, and with DT_WORDBREAK between
// words that would pass the right edge; DT_SINGLELINE keeps one line and
// is the only case where DT_VCENTER and DT_BOTTOM apply. "&" marks the next
// character (and "&&" is "&") unless DT_NOPREFIX. DT_END_ELLIPSIS ends a
// line that does not fit with "...". DT_CALCRECT draws nothing and sets the
// rectangle's right and bottom to bound the text. Answers the text's
// height, or with DT_VCENTER/DT_BOTTOM the distance from the rectangle's
// top to the text's bottom; 0 on failure. `count` -1 means up to the zero.
int DrawTextW(HDC dc, const WCHAR* text, int count, RECT* rect, UINT format);

// Regions: sets of pixels made of rectangles.
HRGN CreateRectRgn(int left, int top, int right, int bottom);
// destination = a op b; answers the kind of the result, or RGN_ERROR.
int CombineRgn(HRGN destination, HRGN a, HRGN b, int op);
int GetRgnBox(HRGN region, RECT* box);
BOOL PtInRegion(HRGN region, int x, int y);

#include "gdi/window_drawing.h"
