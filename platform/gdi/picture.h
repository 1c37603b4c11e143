// The platform's picture loader: OleLoadPicture decodes a JPEG, PNG, BMP or
// GIF held in a stream into an IPicture, whose size is in 0.01 mm
// (HIMETRIC: pixels x 2540 / 96) and which renders into a device context.
#pragma once

#include "com/stream.h"
#include "gdi/wingdi.h"

using OLE_XSIZE_HIMETRIC = LONG;
using OLE_YSIZE_HIMETRIC = LONG;
using OLE_XPOS_HIMETRIC = LONG;
using OLE_YPOS_HIMETRIC = LONG;

inline constexpr IID IID_IPicture = {0x7BF80980, 0xBF32, 0x101A, {0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};

class IPicture : public IUnknown {
public:
    virtual HRESULT get_Width(OLE_XSIZE_HIMETRIC* width) = 0;
    virtual HRESULT get_Height(OLE_YSIZE_HIMETRIC* height) = 0;
    // Draws the source area (0.01 mm, y counted upwards from the bottom, so
    // (0, height, width, -height) is the whole picture upright) stretched
    // into (x, y, cx, cy) of the device context.
    virtual HRESULT Render(HDC dc, LONG x, LONG y, LONG cx, LONG cy, OLE_XPOS_HIMETRIC xSource,
                           OLE_YPOS_HIMETRIC ySource, OLE_XSIZE_HIMETRIC cxSource, OLE_YSIZE_HIMETRIC cySource,
                           const RECT* bounds) = 0;

protected:
    ~IPicture() = default;
};

// Reads `size` bytes (all that is left when 0) of the stream and decodes
// them; E_FAIL for data that is no picture.
HRESULT OleLoadPicture(IStream* stream, LONG size, BOOL runMode, REFIID iid, void** picture);
