// What the drawing interface's handles point to, and the pixel access the
// drawing calls share. Every live object is registered, so a handle that
// was never made or is already deleted is refused, not followed.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gdi/image_list.h"
#include "gdi/wingdi.h"

namespace movanta::gdi {

struct Dc;

struct GdiObject {
    enum class Kind { Bitmap, Brush, Region, Font, Dc, Icon, ImageList };
    explicit GdiObject(Kind kind) : kind(kind) {}
    virtual ~GdiObject() = default;
    const Kind kind;
};

// Pixels as 0xAARRGGBB.
using Pixel = std::uint32_t;

struct Bitmap final : GdiObject {
    Bitmap() : GdiObject(Kind::Bitmap) {}
    int width = 0;
    int height = 0;
    int bitCount = 0;
    bool topDown = false;
    size_t stride = 0;
    std::vector<RGBQUAD> palette;
    std::unique_ptr<std::uint8_t[]> bits;
    Dc* selectedIn = nullptr;
    bool initial = false;  // a DC's own 1x1 bitmap: deleted with the DC only

    std::uint8_t* Row(int y) const { return bits.get() + stride * static_cast<size_t>(topDown ? y : height - 1 - y); }
    // The palette index at (x, y) of a bitmap of 8 bits or fewer.
    int Index(int x, int y) const;
    void SetIndex(int x, int y, int index);
    Pixel Read(int x, int y) const;
    void Write(int x, int y, Pixel pixel);
    // The palette entry nearest to the colour.
    int Nearest(Pixel pixel) const;
};

struct Brush final : GdiObject {
    explicit Brush(COLORREF colour) : GdiObject(Kind::Brush), colour(colour) {}
    COLORREF colour;
};

struct Region final : GdiObject {
    Region() : GdiObject(Kind::Region) {}
    std::vector<RECT> rects;  // disjoint, none empty
};

struct Dc final : GdiObject {
    Dc();
    ~Dc() override;
    Bitmap* bitmap;
    std::unique_ptr<Bitmap> initial;  // the 1x1 monochrome bitmap a new DC holds
    HGDIOBJ brush = nullptr;
    HGDIOBJ font = nullptr;
    COLORREF textColour = 0;
    int backgroundMode = OPAQUE;
    int stretchMode = BLACKONWHITE;
};

// A picture with transparent pixels: an icon, or one image of a list.
struct Masked {
    int width = 0;
    int height = 0;
    std::vector<Pixel> pixels;  // 0xAARRGGBB
    std::vector<bool> clear;    // transparent pixels
    bool alpha = false;         // the pixels carry their own opacity
};

struct Icon final : GdiObject {
    explicit Icon(Masked picture) : GdiObject(Kind::Icon), picture(std::move(picture)) {}
    Masked picture;
};

struct ImageList final : GdiObject {
    ImageList(int width, int height, UINT flags)
        : GdiObject(Kind::ImageList), width(width), height(height), flags(flags) {}
    int width;
    int height;
    UINT flags;
    std::vector<Masked> images;
};

// Registers a new object and answers it as a handle of type H.
template <class H>
H Register(GdiObject* object);
// The live object behind a handle when it is of `kind`, else null.
GdiObject* Find(const void* handle, GdiObject::Kind kind);
template <class T>
T* Live(const void* handle, GdiObject::Kind kind) {
    return static_cast<T*>(Find(handle, kind));
}
// Forgets and frees an object.
void Destroy(GdiObject* object);

Pixel FromColour(COLORREF colour);

}  // namespace movanta::gdi
