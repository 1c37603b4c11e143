// Skin packages: the byte layout of the file, scripts in either encoding
// and either line end, export and add again, and damaged files that fail
// as packageUnreadable with the package left empty.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "skin/package/skin_package.h"
#include "testing/testing.h"
#include "win/text.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class PackageTest : public ::testing::Test {
protected:
    CString Path(const std::string& name) const {
        return CString(std::wstring_view(movanta::Utf8ToWide(dir_.File(name))));
    }
    void Write(const std::string& name, const Bytes& bytes) const {
        std::ofstream(dir_.File(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    Bytes Read(const std::string& name) const {
        std::ifstream in(dir_.File(name), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    void Store(CzSkinPackage& package, const std::string& name) const {
        CFile file(Path(name), CFile::modeCreate | CFile::modeWrite);
        CArchive archive(&file, CArchive::store, 4096);
        package.Serialize(archive);
        archive.Close();
    }
    // Loads a package file; the cause of the parser exception, or -1.
    int Load(CzSkinPackage& package, const std::string& name) const {
        CFile file(Path(name), CFile::modeRead | CFile::shareDenyWrite);
        CArchive archive(&file, CArchive::load, 4096);
        try {
            package.Serialize(archive);
        } catch (CzSkinParserException* error) {
            return error->fnGetCause();
        }
        return -1;
    }
    static Bytes Utf16(const std::u16string& text) {
        Bytes bytes;
        for (const char16_t unit : text)
            bytes.insert(bytes.end(), {static_cast<std::uint8_t>(unit), static_cast<std::uint8_t>(unit >> 8)});
        return bytes;
    }

    movanta::testing::TempDir dir_;
};

TEST_F(PackageTest, TheFileLayoutOfOneAndTwoItems) {
    Write("Skin.txt", {'[', 'M', ']', '\n'});
    CzSkinPackage package;
    package.fnAddScript(Path("Skin.txt"));
    Store(package, "one.zsp");
    Bytes expected = {0x01, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x0E, 0x00};
    for (const char ch : std::string("CzSkinPackItem")) expected.push_back(static_cast<std::uint8_t>(ch));
    expected.insert(expected.end(), {0x00, 0x00, 0xFF, 0xFE, 0xFF, 0x08});  // type 0, name of 8 units
    const Bytes name = Utf16(u"Skin.txt");
    expected.insert(expected.end(), name.begin(), name.end());
    expected.insert(expected.end(), {10, 0, 0, 0});  // "[M]\n" and NUL in UTF-16
    const Bytes text = Utf16(std::u16string(u"[M]\n") + u'\0');
    expected.insert(expected.end(), text.begin(), text.end());
    EXPECT_EQ(Read("one.zsp"), expected);

    Write("a.jpg", {1, 2, 3});
    package.fnAddResource(Path("a.jpg"));
    package.fnAddResource(Path("A.JPG"));  // the same name: nothing added
    EXPECT_EQ(package.fnGetNumberItems(), 2);
    Store(package, "two.zsp");
    const Bytes two = Read("two.zsp");
    EXPECT_EQ(two[0], 2);
    const Bytes second(two.begin() + static_cast<std::ptrdiff_t>(expected.size()), two.end());
    EXPECT_EQ(Bytes(second.begin(), second.begin() + 4), (Bytes {0x01, 0x80, 0x02, 0x00})) << "class reference, JPG";

    CzSkinPackage back;
    ASSERT_EQ(Load(back, "two.zsp"), -1);
    SKIN_TYPE type = SKIN_TEXT;
    DWORD size = 0;
    const BYTE* data = back.fnGetResource(L"A.jpg", type, size);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(type, SKIN_JPG);
    EXPECT_EQ(Bytes(data, data + size), (Bytes {1, 2, 3}));
    EXPECT_EQ(back.fnGetPath().Right(1), CString(L"/"));
}

TEST_F(PackageTest, ScriptsInEitherEncodingAndLineEndMatch) {
    Write("ansi.txt", {'[', 'M', 0xC3, 0xA9, ']', '\r', '\n', 'K', '=', '1', '\r', '\n'});
    Bytes utf16 = {0xFF, 0xFE};
    const Bytes body = Utf16(u"[M\u00e9]\nK=1\n");
    utf16.insert(utf16.end(), body.begin(), body.end());
    Write("wide.txt", utf16);
    CzSkinPackage ansi;
    ansi.fnAddScript(Path("ansi.txt"));
    CzSkinPackage wide;
    wide.fnAddScript(Path("wide.txt"));
    CString name;
    DWORD ansiSize = 0;
    DWORD wideSize = 0;
    const BYTE* a = ansi.fnGetScript(name, ansiSize);
    const BYTE* w = wide.fnGetScript(name, wideSize);
    ASSERT_EQ(ansiSize, wideSize);
    EXPECT_EQ(Bytes(a, a + ansiSize), Bytes(w, w + wideSize));

    // Exported (UTF-16 with CR LF) and added again: the same data.
    ansi.fnExportItem(L"ANSI.TXT", Path("").GetString());
    CzSkinPackage again;
    again.fnAddScript(Path("ansi.txt"));
    DWORD againSize = 0;
    const BYTE* b = again.fnGetScript(name, againSize);
    EXPECT_EQ(Bytes(b, b + againSize), Bytes(a, a + ansiSize));
    EXPECT_EQ(Read("ansi.txt").size(), 2u + 2 * 11) << "byte-order mark, 9 characters and 2 CRs";
}

TEST_F(PackageTest, UpdatingDeletingAndExportingPictures) {
    Write("Skin.txt", {'x'});
    const BITMAPINFOHEADER header {sizeof(BITMAPINFOHEADER), 1, 1, 1, 24, BI_RGB, 4, 0, 0, 0, 0};
    Bytes bmp(14, 0);
    bmp.insert(bmp.end(), reinterpret_cast<const std::uint8_t*>(&header),
               reinterpret_cast<const std::uint8_t*>(&header) + sizeof(header));
    Write("p.bmp", bmp);
    Write("q.jpg", {9});
    CzSkinPackage package;
    package.fnAddResource(Path("p.bmp"));
    package.fnAddScript(Path("Skin.txt"));
    package.fnAddResource(Path("q.jpg"));
    CString name;
    DWORD size = 0;
    EXPECT_NE(package.fnGetScript(name, size), nullptr);
    EXPECT_EQ(name, CString(L"Skin.txt")) << "the script goes first";
    EXPECT_EQ(package.fnGetItemIndex(L"P.BMP"), 1);

    Write("q.jpg", {9, 8, 7});
    package.fnUpdateItem(2);
    SKIN_TYPE type = SKIN_TEXT;
    EXPECT_NE(package.fnGetResource(L"q.jpg", type, size), nullptr);
    EXPECT_EQ(size, 3u) << "read again from the package's folder";

    // A BMP goes out with a file header again: "BM", size, offset 54.
    std::filesystem::create_directories(dir_.File("out"));
    package.fnExportItem(L"p.bmp", Path("out").GetString());
    const Bytes exported = Read("out/p.bmp");
    ASSERT_EQ(exported.size(), 54u);
    EXPECT_EQ(Bytes(exported.begin(), exported.begin() + 6), (Bytes {'B', 'M', 54, 0, 0, 0}));
    EXPECT_EQ(exported[10], 54);

    package.fnDeleteItem(1);
    EXPECT_EQ(package.fnGetItemIndex(L"p.bmp"), -1);
    EXPECT_EQ(package.fnGetNumberItems(), 2);
}

TEST_F(PackageTest, SeventyThousandItemsUseTheLongCount) {
    // 70,000 one-byte pictures named "x", the count in 32 bits.
    Bytes file = {0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x0E, 0x00};
    for (const char ch : std::string("CzSkinPackItem")) file.push_back(static_cast<std::uint8_t>(ch));
    for (int i = 0; i < 70000; ++i) {
        if (i > 0) file.insert(file.end(), {0x01, 0x80});
        file.insert(file.end(), {0x02, 0x00, 0x01, 'x', 0x01, 0x00, 0x00, 0x00, static_cast<std::uint8_t>(i)});
    }
    Write("many.zsp", file);
    CzSkinPackage many;
    ASSERT_EQ(Load(many, "many.zsp"), -1);
    EXPECT_EQ(many.fnGetNumberItems(), 70000);
    Store(many, "again.zsp");
    EXPECT_EQ(Read("again.zsp").size(), file.size() + 70000 * 4) << "names come back in the wide form";
}

TEST_F(PackageTest, DamagedFilesAreUnreadableAndLeaveThePackageEmpty) {
    Write("Skin.txt", {'x'});
    Write("b.bmp", Bytes(60, 0));
    CzSkinPackage package;
    package.fnAddScript(Path("Skin.txt"));
    package.fnAddResource(Path("b.bmp"));
    Store(package, "good.zsp");
    const Bytes good = Read("good.zsp");
    for (size_t length = 0; length < good.size(); ++length) {
        Write("cut.zsp", Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length)));
        CzSkinPackage cut;
        EXPECT_EQ(Load(cut, "cut.zsp"), CzSkinParserException::packageUnreadable) << length;
        EXPECT_EQ(cut.fnGetNumberItems(), 0);
    }
    // A stored size far past the end of the data.
    Bytes huge = good;
    huge[huge.size() - 46 - 4 + 3] = 0x7F;
    Write("huge.zsp", huge);
    CzSkinPackage big;
    EXPECT_EQ(Load(big, "huge.zsp"), CzSkinParserException::packageUnreadable);
    // The same item twice, by back-reference, is damage too.
    Bytes twice = good;
    twice.resize(twice.size() - (2 + 2 + 3 + 10 + 4 + 46));
    twice.insert(twice.end(), {0x02, 0x00});
    Write("twice.zsp", twice);
    CzSkinPackage doubled;
    EXPECT_EQ(Load(doubled, "twice.zsp"), CzSkinParserException::packageUnreadable);

    SKIN_TYPE type = SKIN_TEXT;
    CString name;
    DWORD size = 0;
    try {
        package.fnGetItem(2, type, name, size);
        ADD_FAILURE() << "past the list";
    } catch (CzSkinParserException* error) {
        EXPECT_EQ(error->fnGetCause(), CzSkinParserException::resourceNotFound);
    }
}

}  // namespace
