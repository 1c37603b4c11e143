// The picture loader the way the skin library calls it: the file's bytes in
// global memory, a stream on them, OleLoadPicture, the size in 0.01 mm and
// a render into a 24-bit DIB section.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

#include "gdi/picture.h"

namespace {

std::vector<char> FileBytes(const char* name) {
    std::ifstream in(std::string(GDI_TESTDATA) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Loads bytes as the skin library does; null when they are no picture.
IPicture* Load(const std::vector<char>& bytes) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(GlobalLock(memory), bytes.data(), bytes.size());
    GlobalUnlock(memory);
    IStream* stream = nullptr;
    EXPECT_EQ(CreateStreamOnHGlobal(memory, TRUE, &stream), S_OK);
    IPicture* picture = nullptr;
    OleLoadPicture(stream, static_cast<LONG>(bytes.size()), FALSE, IID_IPicture, reinterpret_cast<void**>(&picture));
    stream->Release();
    return picture;
}

// The picture's size in 0.01 mm.
std::pair<LONG, LONG> Himetric(IPicture* picture) {
    LONG width = 0;
    LONG height = 0;
    picture->get_Width(&width);
    picture->get_Height(&height);
    return {width, height};
}

TEST(PictureTest, AJpegKeepsItsPixelSize) {
    IPicture* picture = Load(FileBytes("picture_200x100.jpg"));
    ASSERT_NE(picture, nullptr);
    const auto [width, height] = Himetric(picture);
    EXPECT_EQ(width, 5292) << "0.01 mm";
    EXPECT_EQ(height, 2646);
    EXPECT_EQ(width * 96 / 2540 + (width * 96 % 2540 > 1270), 200);
    EXPECT_EQ(height * 96 / 2540 + (height * 96 % 2540 > 1270), 100);
    picture->Release();
}

TEST(PictureTest, RenderingPutsEachPixelInPlace) {
    IPicture* picture = Load(FileBytes("picture_3x2.png"));
    ASSERT_NE(picture, nullptr);
    const auto [width, height] = Himetric(picture);
    BITMAPINFO info {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 3, 2, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    ASSERT_EQ(picture->Render(dc, 0, 0, 3, 2, 0, height, width, -height, nullptr), S_OK);
    // Bottom-up rows of 12 bytes (9 and padding), blue-green-red.
    const auto* bytes = static_cast<const std::uint8_t*>(bits);
    const std::vector<std::uint8_t> top(bytes + 12, bytes + 21);
    const std::vector<std::uint8_t> bottom(bytes, bytes + 9);
    EXPECT_EQ(top, (std::vector<std::uint8_t> {0, 0, 255, 0, 255, 0, 255, 0, 0}));
    EXPECT_EQ(bottom, (std::vector<std::uint8_t> {255, 255, 255, 0, 0, 0, 128, 128, 128}));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    picture->Release();

    EXPECT_EQ(Load({'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'}), nullptr);
}

}  // namespace
