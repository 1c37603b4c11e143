// Pictures from the package: BMPs of every depth, 8-bit run-length ones
// against the same picture stored plain, headers that do not fit their
// data, a JPEG through the platform's loader, and image lists.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "skin/package/skin_package.h"
#include "skin/package/skin_parser.h"
#include "testing/testing.h"
#include "win/text.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class ImagesTest : public ::testing::Test {
protected:
    void SetUp() override { CzSkinParser::fnGetPackage().fnRemoveAll(); }
    void TearDown() override { CzSkinParser::fnGetPackage().fnRemoveAll(); }
    // Adds a file of these bytes to the shared package.
    void Add(const std::string& name, const Bytes& bytes) {
        std::ofstream(dir_.File(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        CzSkinParser::fnGetPackage().fnAddResource(movanta::Utf8ToWide(dir_.File(name)).c_str());
    }
    // A BMP file: file header, info header, colour table, pixel bytes.
    static Bytes Bmp(int width, int height, int bits, const Bytes& table, const Bytes& pixels,
                     DWORD compression = BI_RGB) {
        BITMAPINFOHEADER header {sizeof(BITMAPINFOHEADER),
                                 width,
                                 height,
                                 1,
                                 static_cast<WORD>(bits),
                                 compression,
                                 static_cast<DWORD>(pixels.size()),
                                 0,
                                 0,
                                 static_cast<DWORD>(table.size() / 4),
                                 0};
        Bytes file;
        file.reserve(14 + sizeof(header) + table.size() + pixels.size());
        file.insert(file.end(), {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
        const auto* raw = reinterpret_cast<const std::uint8_t*>(&header);
        file.insert(file.end(), raw, raw + sizeof(header));
        file.insert(file.end(), table.begin(), table.end());
        file.insert(file.end(), pixels.begin(), pixels.end());
        return file;
    }
    static int Cause(const std::function<void()>& action) {
        try {
            action();
        } catch (CzSkinParserException* error) {
            return error->fnGetCause();
        }
        return -1;
    }
    static Bytes Pixels(HBITMAP bitmap) {
        DIBSECTION section {};
        GetObjectW(bitmap, sizeof(section), &section);
        const auto* bits = static_cast<const std::uint8_t*>(section.dsBm.bmBits);
        return Bytes(bits, bits + section.dsBmih.biSizeImage);
    }

    CzSkinParser parser_;
    movanta::testing::TempDir dir_;
};

TEST_F(ImagesTest, StoredBitmapsOfEveryDepthKeepTheirBytes) {
    for (const int bits : {1, 4, 8, 24, 32}) {
        SCOPED_TRACE(bits);
        const int stride = ((5 * bits + 31) / 32) * 4;
        Bytes pixels(static_cast<size_t>(stride * 3));
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i * 7);
        const Bytes table = bits <= 8 ? Bytes(4u << bits, 0x40) : Bytes {};
        const std::string name = "depth" + std::to_string(bits) + ".bmp";
        Add(name, Bmp(5, 3, bits, table, pixels));
        HBITMAP bitmap = parser_.fnLoadImage(movanta::Utf8ToWide(name).c_str());
        ASSERT_NE(bitmap, nullptr);
        BITMAP info {};
        GetObjectW(bitmap, sizeof(info), &info);
        EXPECT_EQ(info.bmBitsPixel, bits);
        EXPECT_EQ(info.bmWidth, 5);
        EXPECT_EQ(Pixels(bitmap), pixels);
        DeleteObject(bitmap);
    }
}

TEST_F(ImagesTest, RunLengthPicturesMatchThePlainOnesAndStayInside) {
    // 6 x 4, bottom row first: runs, a literal of odd length, end of line,
    // a move, a literal of even length and the end of the picture.
    const Bytes encoded = {3, 9, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 2, 1, 2, 7, 0, 0, 0, 4, 4, 5, 6, 7, 0, 1};
    Bytes plain(8 * 4, 0);
    const Bytes rows[4] = {{9, 9, 9, 1, 2, 3}, {0, 0, 0, 0, 0, 0}, {0, 0, 7, 7, 0, 0}, {4, 5, 6, 7, 0, 0}};
    for (int y = 0; y < 4; ++y) std::copy(rows[y].begin(), rows[y].end(), plain.begin() + y * 8);
    const Bytes table(4 * 256, 0);
    Add("rle.bmp", Bmp(6, 4, 8, table, encoded, 1));
    Add("plain.bmp", Bmp(6, 4, 8, table, plain));
    HBITMAP rle = parser_.fnLoadImage(L"rle.bmp");
    HBITMAP stored = parser_.fnLoadImage(L"plain.bmp");
    EXPECT_EQ(Pixels(rle), Pixels(stored));
    DeleteObject(rle);
    DeleteObject(stored);

    // Runs past the right edge, a move below the last row and data cut off
    // in the middle of an escape write nothing outside the picture.
    Add("wild.bmp", Bmp(4, 2, 8, table, {255, 1, 0, 2, 200, 200, 5, 5, 0, 9, 1, 2}, 1));
    HBITMAP wild = parser_.fnLoadImage(L"wild.bmp");
    const Bytes inside = Pixels(wild);
    EXPECT_EQ(inside, (Bytes {1, 1, 1, 1, 0, 0, 0, 0}));
    DeleteObject(wild);
}

TEST_F(ImagesTest, HeadersThatDoNotFitTheirDataAreNotFound) {
    const Bytes table(4 * 256, 0);
    Add("short.bmp", Bmp(100, 100, 24, {}, Bytes(10, 0)));
    Add("depth.bmp", Bmp(2, 2, 16, {}, Bytes(16, 0)));
    Add("table.bmp", Bmp(2, 2, 8, Bytes(4 * 300, 0), Bytes(8, 0)));
    Add("tiny.bmp", Bytes(20, 0));
    for (const wchar_t* name : {L"short.bmp", L"depth.bmp", L"table.bmp", L"tiny.bmp", L"missing.bmp"}) {
        EXPECT_EQ(Cause([&] { DeleteObject(parser_.fnLoadImage(name)); }), CzSkinParserException::resourceNotFound)
            << movanta::WideToUtf8(name);
    }
}

TEST_F(ImagesTest, AJpegAndAnImageList) {
    std::ifstream in(std::string(SKIN_TESTDATA) + "/picture_200x100.jpg", std::ios::binary);
    Add("photo.jpg", Bytes(std::istreambuf_iterator<char>(in), {}));
    HBITMAP photo = parser_.fnLoadImage(L"PHOTO.JPG");
    BITMAP info {};
    GetObjectW(photo, sizeof(info), &info);
    EXPECT_EQ(info.bmWidth, 200);
    EXPECT_EQ(info.bmHeight, 100);
    EXPECT_EQ(info.bmBitsPixel, 24);
    DeleteObject(photo);

    CImageList list;
    parser_.fnLoadImage(L"photo.jpg", list, 4, RGB(255, 0, 255));
    EXPECT_EQ(list.GetImageCount(), 4);
    CImageList none;
    try {
        parser_.fnLoadImage(L"photo.jpg", none, 0, 0);
        ADD_FAILURE() << "no frames";
    } catch (CMemoryException* error) {
        error->Delete();
    }
}

}  // namespace
