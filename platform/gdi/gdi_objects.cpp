#include "gdi/gdi_objects.h"

#include "win/live_set.h"

namespace movanta::gdi {
namespace {

// Never destroyed: objects held by other statics are deleted after
// function-local statics made later are gone.
LiveSet<GdiObject>& Objects() {
    static auto* live = new LiveSet<GdiObject>;
    return *live;
}

}  // namespace

template <class H>
H Register(GdiObject* object) {
    if (object == nullptr) return nullptr;
    Objects().Add(object);
    return reinterpret_cast<H>(object);
}
template HBITMAP Register<HBITMAP>(GdiObject*);
template HBRUSH Register<HBRUSH>(GdiObject*);
template HRGN Register<HRGN>(GdiObject*);
template HDC Register<HDC>(GdiObject*);
template HFONT Register<HFONT>(GdiObject*);
template HICON Register<HICON>(GdiObject*);
template HIMAGELIST Register<HIMAGELIST>(GdiObject*);

GdiObject* Find(const void* handle, GdiObject::Kind kind) {
    GdiObject* object = Objects().Find(handle);
    return object != nullptr && object->kind == kind ? object : nullptr;
}

void Destroy(GdiObject* object) {
    Objects().Remove(object);
    delete object;
}

Pixel FromColour(COLORREF colour) {
    return (static_cast<Pixel>(GetRValue(colour)) << 16) | (static_cast<Pixel>(GetGValue(colour)) << 8) |
           GetBValue(colour);
}

int Bitmap::Index(int x, int y) const {
    const std::uint8_t* row = Row(y);
    switch (bitCount) {
        case 8: return row[x];
        case 4: return (row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0x0F;
        default: return (row[x / 8] >> (7 - x % 8)) & 1;
    }
}

void Bitmap::SetIndex(int x, int y, int index) {
    std::uint8_t* row = Row(y);
    switch (bitCount) {
        case 8: row[x] = static_cast<std::uint8_t>(index); break;
        case 4: {
            const int shift = x % 2 == 0 ? 4 : 0;
            row[x / 2] = static_cast<std::uint8_t>((row[x / 2] & ~(0x0F << shift)) | ((index & 0x0F) << shift));
            break;
        }
        default: {
            const int shift = 7 - x % 8;
            row[x / 8] = static_cast<std::uint8_t>((row[x / 8] & ~(1 << shift)) | ((index & 1) << shift));
        }
    }
}

Pixel Bitmap::Read(int x, int y) const {
    if (bitCount == 32) {
        const std::uint8_t* at = Row(y) + 4 * static_cast<size_t>(x);
        return at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<Pixel>(at[3]) << 24);
    }
    if (bitCount == 24) {
        const std::uint8_t* at = Row(y) + 3 * static_cast<size_t>(x);
        return at[0] | (at[1] << 8) | (at[2] << 16);
    }
    const int index = Index(x, y);
    if (index >= static_cast<int>(palette.size())) return 0;
    const RGBQUAD& entry = palette[static_cast<size_t>(index)];
    return entry.rgbBlue | (entry.rgbGreen << 8) | (entry.rgbRed << 16);
}

void Bitmap::Write(int x, int y, Pixel pixel) {
    if (bitCount == 32 || bitCount == 24) {
        std::uint8_t* at = Row(y) + static_cast<size_t>(bitCount / 8) * static_cast<size_t>(x);
        at[0] = static_cast<std::uint8_t>(pixel);
        at[1] = static_cast<std::uint8_t>(pixel >> 8);
        at[2] = static_cast<std::uint8_t>(pixel >> 16);
        if (bitCount == 32) at[3] = static_cast<std::uint8_t>(pixel >> 24);
        return;
    }
    SetIndex(x, y, Nearest(pixel));
}

int Bitmap::Nearest(Pixel pixel) const {
    int best = 0;
    long bestDistance = -1;
    for (size_t i = 0; i < palette.size(); ++i) {
        const long db = static_cast<long>(pixel & 0xFF) - palette[i].rgbBlue;
        const long dg = static_cast<long>((pixel >> 8) & 0xFF) - palette[i].rgbGreen;
        const long dr = static_cast<long>((pixel >> 16) & 0xFF) - palette[i].rgbRed;
        const long distance = db * db + dg * dg + dr * dr;
        if (bestDistance < 0 || distance < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = distance;
        }
    }
    return best;
}

Dc::Dc() : GdiObject(Kind::Dc), initial(std::make_unique<Bitmap>()) {
    initial->width = 1;
    initial->height = 1;
    initial->bitCount = 1;
    initial->stride = 4;
    initial->palette = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    initial->bits = std::make_unique<std::uint8_t[]>(4);
    initial->selectedIn = this;
    initial->initial = true;
    bitmap = initial.get();
}

Dc::~Dc() {
    if (bitmap != nullptr) bitmap->selectedIn = nullptr;
}

}  // namespace movanta::gdi
