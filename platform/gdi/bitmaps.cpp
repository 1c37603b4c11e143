// Bitmaps and deleting objects.
#include <cstring>

#include "gdi/gdi_objects.h"
#include "gdi/qt_text.h"

using namespace movanta::gdi;

namespace {

constexpr long long kMaxPixelBytes = 1LL << 28;

}  // namespace

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD) {
    if (bits != nullptr) *bits = nullptr;
    if (info == nullptr || usage != DIB_RGB_COLORS || section != nullptr) return nullptr;
    const BITMAPINFOHEADER& header = info->bmiHeader;
    const int bitCount = header.biBitCount;
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biWidth <= 0 || header.biHeight == 0 ||
        header.biCompression != BI_RGB ||
        (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)) {
        return nullptr;
    }
    const long long height = header.biHeight < 0 ? -static_cast<long long>(header.biHeight) : header.biHeight;
    const long long stride = ((static_cast<long long>(header.biWidth) * bitCount + 31) / 32) * 4;
    if (height > kMaxPixelBytes || stride * height > kMaxPixelBytes) return nullptr;
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->width = header.biWidth;
    bitmap->height = static_cast<int>(height);
    bitmap->bitCount = bitCount;
    bitmap->topDown = header.biHeight < 0;
    bitmap->stride = static_cast<size_t>(stride);
    if (bitCount <= 8) {
        const DWORD most = 1u << bitCount;
        const DWORD used = header.biClrUsed == 0 || header.biClrUsed > most ? most : header.biClrUsed;
        const auto* colours = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(info) + header.biSize);
        bitmap->palette.assign(colours, colours + used);
    }
    bitmap->bits = std::make_unique<std::uint8_t[]>(static_cast<size_t>(stride * height));
    if (bits != nullptr) *bits = bitmap->bits.get();
    return Register<HBITMAP>(bitmap.release());
}

int GetObjectW(HGDIOBJ object, int size, void* out) {
    if (const Font* font = Live<Font>(object, GdiObject::Kind::Font)) {
        if (out == nullptr) return sizeof(LOGFONTW);
        if (size < static_cast<int>(sizeof(LOGFONTW))) return 0;
        std::memcpy(out, &font->logFont, sizeof(LOGFONTW));
        return sizeof(LOGFONTW);
    }
    const Bitmap* bitmap = Live<Bitmap>(object, GdiObject::Kind::Bitmap);
    if (bitmap == nullptr) return 0;
    if (out == nullptr) return sizeof(DIBSECTION);
    if (size < static_cast<int>(sizeof(BITMAP))) return 0;
    DIBSECTION section {};
    section.dsBm = {0,
                    bitmap->width,
                    bitmap->height,
                    static_cast<LONG>(bitmap->stride),
                    1,
                    static_cast<WORD>(bitmap->bitCount),
                    bitmap->bits.get()};
    BITMAPINFOHEADER& header = section.dsBmih;
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = bitmap->width;
    header.biHeight = bitmap->topDown ? -bitmap->height : bitmap->height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(bitmap->bitCount);
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(bitmap->stride * static_cast<size_t>(bitmap->height));
    header.biClrUsed = static_cast<DWORD>(bitmap->palette.size());
    const int written = size >= static_cast<int>(sizeof(DIBSECTION)) ? sizeof(DIBSECTION) : sizeof(BITMAP);
    std::memcpy(out, &section, static_cast<size_t>(written));
    return written;
}

BOOL DeleteObject(HGDIOBJ object) {
    if (Bitmap* bitmap = Live<Bitmap>(object, GdiObject::Kind::Bitmap)) {
        if (bitmap->initial) return TRUE;
        if (bitmap->selectedIn != nullptr) return FALSE;  // still in a device context
        Destroy(bitmap);
        return TRUE;
    }
    for (const auto kind : {GdiObject::Kind::Brush, GdiObject::Kind::Region, GdiObject::Kind::Font}) {
        if (GdiObject* found = Find(object, kind)) {
            Destroy(found);
            return TRUE;
        }
    }
    return FALSE;
}
