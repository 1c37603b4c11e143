// The part of GDI+ the application's bars draw with: start-up and shutdown,
// bitmaps copied from an HBITMAP (opaque, as GDI+ takes them), graphics on a
// device context or on a bitmap, stretched image drawing (bilinear) and
// one-pixel lines in an ARGB colour (not smoothed, both ends drawn).
#pragma once

#include <memory>

#include "gdi/wingdi.h"

struct HPALETTE__;
using HPALETTE = HPALETTE__*;

namespace Gdiplus {

using REAL = float;
using ARGB = DWORD;
using INT = int;

enum Status { Ok = 0, GenericError = 1, InvalidParameter = 2, OutOfMemory = 3, NotImplemented = 6 };
enum Unit { UnitWorld = 0, UnitDisplay = 1, UnitPixel = 2 };

struct GdiplusStartupInput {
    UINT GdiplusVersion = 1;
    void* DebugEventCallback = nullptr;
    BOOL SuppressBackgroundThread = FALSE;
    BOOL SuppressExternalCodecs = FALSE;
};
struct GdiplusStartupOutput {
    void* NotificationHook = nullptr;
    void* NotificationUnhook = nullptr;
};
// Version 1 only; the token ends the session in GdiplusShutdown.
Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output);
void GdiplusShutdown(ULONG_PTR token);

class Color {
public:
    Color() = default;
    Color(BYTE a, BYTE r, BYTE g, BYTE b) : argb_((ARGB {a} << 24) | (ARGB {r} << 16) | (ARGB {g} << 8) | b) {}
    explicit Color(ARGB argb) : argb_(argb) {}
    ARGB GetValue() const { return argb_; }

private:
    ARGB argb_ = 0xFF000000;
};

struct Rect {
    Rect() = default;
    Rect(INT x, INT y, INT width, INT height) : X(x), Y(y), Width(width), Height(height) {}
    INT X = 0;
    INT Y = 0;
    INT Width = 0;
    INT Height = 0;
};

class Pen {
public:
    explicit Pen(const Color& color, REAL width = 1.0f) : color_(color), width_(width) {}
    const Color& GetColor() const { return color_; }
    REAL GetWidth() const { return width_; }

private:
    Color color_;
    REAL width_;
};

class Image {
public:
    virtual ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    UINT GetWidth() const;
    UINT GetHeight() const;
    Status GetLastStatus() const { return status_; }

protected:
    Image();
    struct Pixels;
    std::unique_ptr<Pixels> pixels_;
    Status status_ = Ok;
    friend class Graphics;
};

class Bitmap : public Image {
public:
    // A copy of the bitmap's pixels; the HBITMAP stays the caller's.
    Bitmap(HBITMAP bitmap, HPALETTE palette);
};

class Graphics {
public:
    explicit Graphics(HDC dc);
    explicit Graphics(Image* image);
    ~Graphics();
    Graphics(const Graphics&) = delete;
    Graphics& operator=(const Graphics&) = delete;
    // The source area of the image drawn stretched over the destination.
    Status DrawImage(Image* image, const Rect& destination, INT sx, INT sy, INT sw, INT sh, Unit unit);
    Status DrawImage(Image* image, INT x, INT y);
    Status DrawLine(const Pen* pen, INT x1, INT y1, INT x2, INT y2);

private:
    struct Target;
    std::unique_ptr<Target> target_;
};

}  // namespace Gdiplus
