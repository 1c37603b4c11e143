// Pictures from the package: stored BMPs (with 8-bit run-length ones),
// pictures for the platform's loader, and image lists.
#include <cstring>

#include "gdi/picture.h"
#include "skin/package/skin_package.h"
#include "skin/package/skin_parser.h"

namespace {

constexpr DWORD kBiRle8 = 1;
constexpr long long kMaxPixelBytes = 1LL << 28;

[[noreturn]] void NotFound() {
    CzSkinParserException::fnThrow(CzSkinParserException::resourceNotFound);
}

// A stored BMP (header, colour table, pixels) as a DIB section.
HBITMAP BitmapOf(const BYTE* data, DWORD size, void (*rle)(const BYTE*, size_t, int, int, size_t, BYTE*)) {
    if (size < sizeof(BITMAPINFOHEADER)) NotFound();
    BITMAPINFOHEADER header {};
    std::memcpy(&header, data, sizeof(header));
    const int bits = header.biBitCount;
    const bool depthKnown = bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32;
    const bool compressed = header.biCompression == kBiRle8;
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biSize > size || header.biWidth <= 0 ||
        header.biHeight == 0 || !depthKnown || (header.biCompression != BI_RGB && !(compressed && bits == 8)))
        NotFound();
    const DWORD most = bits <= 8 ? 1u << bits : 0;
    const DWORD colours = header.biClrUsed != 0 ? header.biClrUsed : most;
    if (colours > 256 || (bits <= 8 && colours > most)) NotFound();
    const size_t tableEnd = header.biSize + 4 * static_cast<size_t>(colours);
    const long long height = header.biHeight < 0 ? -static_cast<long long>(header.biHeight) : header.biHeight;
    const long long stride = ((static_cast<long long>(header.biWidth) * bits + 31) / 32) * 4;
    if (tableEnd > size || stride * height > kMaxPixelBytes) NotFound();
    if (!compressed && static_cast<long long>(size - tableEnd) < stride * height) NotFound();

    // The section is made from the header as uncompressed.
    std::vector<BYTE> info(sizeof(BITMAPINFOHEADER) + 4 * 256, 0);
    BITMAPINFOHEADER made = header;
    made.biSize = sizeof(BITMAPINFOHEADER);
    made.biCompression = BI_RGB;
    made.biSizeImage = 0;
    made.biClrUsed = colours;
    std::memcpy(info.data(), &made, sizeof(made));
    std::memcpy(info.data() + sizeof(made), data + header.biSize, 4 * static_cast<size_t>(colours));
    void* pixels = nullptr;
    HBITMAP bitmap =
        CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (bitmap == nullptr) AfxThrowMemoryException();
    const auto bytes = static_cast<size_t>(stride * height);
    if (compressed) {
        rle(data + tableEnd, size - tableEnd, header.biWidth, static_cast<int>(height), static_cast<size_t>(stride),
            static_cast<BYTE*>(pixels));
    } else {
        std::memcpy(pixels, data + tableEnd, bytes);
    }
    return bitmap;
}

// Any other picture, through the platform's picture loader, as 24 bits.
HBITMAP PictureOf(const BYTE* data, DWORD size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (memory == nullptr) AfxThrowMemoryException();
    std::memcpy(GlobalLock(memory), data, size);
    GlobalUnlock(memory);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        GlobalFree(memory);
        AfxThrowMemoryException();
    }
    IPicture* picture = nullptr;
    const HRESULT loaded =
        OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture, reinterpret_cast<void**>(&picture));
    stream->Release();
    if (FAILED(loaded) || picture == nullptr) AfxThrowMemoryException();
    LONG width = 0;
    LONG height = 0;
    picture->get_Width(&width);
    picture->get_Height(&height);
    HDC dc = CreateCompatibleDC(nullptr);
    const int pixelsWide =
        static_cast<int>((static_cast<long long>(width) * GetDeviceCaps(dc, LOGPIXELSX) + 1270) / 2540);
    const int pixelsHigh =
        static_cast<int>((static_cast<long long>(height) * GetDeviceCaps(dc, LOGPIXELSY) + 1270) / 2540);
    BITMAPINFO info {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), pixelsWide, pixelsHigh, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap != nullptr) {
        HGDIOBJ old = SelectObject(dc, bitmap);
        picture->Render(dc, 0, 0, pixelsWide, pixelsHigh, 0, height, width, -height, nullptr);
        SelectObject(dc, old);
    }
    DeleteDC(dc);
    picture->Release();
    if (bitmap == nullptr) AfxThrowMemoryException();
    return bitmap;
}

}  // namespace

CzSkinPackage& CzSkinParser::fnGetPackage() {
    static CzSkinPackage package;
    return package;
}

void CzSkinParser::fnDecompressRle8(const BYTE* data, size_t size, int width, int height, size_t stride, BYTE* pixels) {
    int x = 0;
    int y = 0;  // from the bottom row, as stored
    auto put = [&](BYTE value) {
        if (x >= 0 && x < width && y >= 0 && y < height)
            pixels[static_cast<size_t>(y) * stride + static_cast<size_t>(x)] = value;
        ++x;
    };
    size_t at = 0;
    while (at + 1 < size && y < height) {
        const BYTE count = data[at];
        const BYTE value = data[at + 1];
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i) put(value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of picture
            return;
        } else if (value == 2) {  // move
            if (at + 1 >= size) return;
            x += data[at];
            y += data[at + 1];
            at += 2;
        } else {  // literal bytes, padded to an even count
            for (int i = 0; i < value && at < size; ++i) put(data[at++]);
            if (value % 2 != 0) ++at;
        }
    }
}

HBITMAP CzSkinParser::fnLoadImage(const WCHAR* name) const {
    SKIN_TYPE type = SKIN_TEXT;
    DWORD size = 0;
    const BYTE* data = fnGetPackage().fnGetResource(name, type, size);
    if (data == nullptr || size == 0) NotFound();
    return type == SKIN_BMP ? BitmapOf(data, size, fnDecompressRle8) : PictureOf(data, size);
}

void CzSkinParser::fnLoadImage(const WCHAR* name, CImageList& list, int count, COLORREF mask) const {
    CBitmap bitmap;
    bitmap.Attach(fnLoadImage(name));
    DIBSECTION section {};
    GetObjectW(bitmap, sizeof(section), &section);
    const UINT depth = section.dsBm.bmBitsPixel <= 24 ? ILC_COLOR24 : ILC_COLOR32;
    if (count <= 0 || !list.Create(section.dsBm.bmWidth / count, section.dsBm.bmHeight, depth | ILC_MASK, count, 0) ||
        list.Add(&bitmap, mask) < 0)
        AfxThrowMemoryException();
}
