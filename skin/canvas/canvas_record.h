// The canvas record: the layout record of a canvas window with its picture,
// the picture stretched to the window's size (the background) and the
// composition that items are drawn on and the screen shows.
#pragma once

#include "gdi/image_list.h"
#include "gdi/wingdi.h"
#include "skin/canvas/location.h"

class CWnd;
class CzCanvasCore;

struct CzCanvasRecord : CzLocation {
    CzCanvasRecord() { m_kind = LOCATION_CANVAS; }
    ~CzCanvasRecord();
    CzCanvasRecord(const CzCanvasRecord&) = delete;
    CzCanvasRecord& operator=(const CzCanvasRecord&) = delete;

    HBITMAP m_picture = nullptr;      // the canvas's own copy of IMAGE (with MASK: 32 bits)
    HBITMAP m_background = nullptr;   // the picture stretched to the current size
    HBITMAP m_composition = nullptr;  // the background with every item drawn on it
    BYTE m_alpha = 255;
    bool m_perPixel = false;
    CRect m_opaque;  // the fully opaque box, grown by stretching
    CRect m_grid;    // right and bottom inclusive
    DWORD m_style = 0;
    bool m_visible = false;
    bool m_enabled = true;
    CWnd* m_window = nullptr;
    CzCanvasCore* m_core = nullptr;  // what the window's class does with the record
    HWND m_host = nullptr;           // the canvas this one is embedded in

    // The picture from IMAGE (and MASK), with the style and grid; the design
    // size becomes the picture's. False when IMAGE is not a picture.
    bool SetPicture(HBITMAP image, HBITMAP mask, DWORD style, const CRect& grid);
    CSize PictureSize() const;
    // The fully opaque box of the picture itself.
    CRect PictureOpaque() const { return m_pictureOpaque; }
    // The background and a fresh composition at `size` (raised to the
    // picture's size with `resizable`); the current rectangle keeps its
    // origin. False without a picture.
    bool Fit(CSize size, bool resizable);
    // Drops the composition (a hidden canvas keeps none).
    void ReleaseComposition();

    // Drawing on the composition; false without one. A plain copy of the
    // bitmap's area at (x, y) into rect, opaque when the composition has
    // alpha and the bitmap not.
    bool DrawBitmap(const CRect& rect, HBITMAP bitmap, int x, int y);
    // The background copied back over rect (null: everything); an empty
    // rect does nothing and succeeds.
    bool Clear(const CRect* rect);

    // A text placed in rect by the format (an empty text is a space, a null
    // one draws nothing), over the background picture (copied from its
    // origin at the text's box) or the canvas background, in the colour and
    // font; `soft` gives it a halo. The box becomes opaque on a composition
    // with alpha.
    bool DrawText(LPCWSTR text, const CRect& rect, UINT format, COLORREF colour, HFONT font, bool soft,
                  HBITMAP background);
    // An icon at its own size at (x, y), drawn over the canvas background.
    bool DrawIcon(HICON icon, int x, int y);

private:
    CRect m_pictureOpaque;
};
