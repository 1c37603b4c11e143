#include "pictures.h"

#include "skin/canvas/canvas_registry.h"

#include <cstring>
#include <vector>

HBITMAP FilledPicture(int width, int height, int bitCount, std::uint8_t fill) {
    std::vector<std::uint8_t> header(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    auto* info = reinterpret_cast<BITMAPINFO*>(header.data());
    info->bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, static_cast<WORD>(bitCount), BI_RGB, 0, 0, 0, 0, 0};
    for (int i = 0; i < 256; ++i) {
        info->bmiColors[i] = {static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), 0};
    }
    void* bits = nullptr;
    HBITMAP picture = CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const size_t stride = ((static_cast<size_t>(width) * static_cast<size_t>(bitCount) + 31) / 32) * 4;
    if (bits != nullptr) std::memset(bits, fill, stride * static_cast<size_t>(height));
    return picture;
}

std::uint32_t PixelAt(HBITMAP picture, int x, int y) {
    DIBSECTION section {};
    GetObjectW(picture, sizeof(section), &section);
    const auto* row = static_cast<const std::uint8_t*>(section.dsBm.bmBits) +
                      static_cast<size_t>(y) * static_cast<size_t>(section.dsBm.bmWidthBytes);
    return reinterpret_cast<const std::uint32_t*>(row)[x];
}

const movanta::gdi::Bitmap* CompositionOf(HWND canvas) {
    const CzCanvasRecord* record = CzCanvasRegistry::Find(canvas);
    if (record == nullptr) return nullptr;
    return movanta::gdi::Live<movanta::gdi::Bitmap>(record->m_composition, movanta::gdi::GdiObject::Kind::Bitmap);
}
