// Applying a section without a window: the shared package loaded once, the
// fonts of the system's language (or "0409"), the section found in any
// letter case, custom and item keys collected, and the resource check.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "skin/package/skin_package.h"
#include "skin/package/skin_parser.h"
#include "testing/testing.h"
#include "win/text.h"

namespace {

// Reaches the parser's protected members.
struct Parser : CzSkinParser {
    using CzSkinParser::fnAddMasterKey;
    using CzSkinParser::fnChooseFontList;
    using CzSkinParser::fnReadRefs;
};

class ParseTest : public ::testing::Test {
protected:
    void SetUp() override { CzSkinParser::fnGetPackage().fnRemoveAll(); }
    void TearDown() override { CzSkinParser::fnGetPackage().fnRemoveAll(); }
    // A package of this script (and a one-pixel a.bmp), stored; its path.
    std::wstring Package(const std::string& script) {
        std::ofstream(dir_.File("Skin.txt"), std::ios::binary) << script;
        std::ofstream(dir_.File("a.bmp"), std::ios::binary) << std::string(14 + 40 + 4, '\0');
        CzSkinPackage package;
        package.fnAddScript(Path("Skin.txt").c_str());
        package.fnAddResource(Path("a.bmp").c_str());
        CFile file(Path("skin.zsp").c_str(), CFile::modeCreate | CFile::modeWrite);
        CArchive archive(&file, CArchive::store);
        package.Serialize(archive);
        archive.Close();
        return Path("skin.zsp");
    }
    std::wstring Path(const std::string& name) const { return movanta::Utf8ToWide(dir_.File(name)); }

    movanta::testing::TempDir dir_;
};

TEST_F(ParseTest, SectionsCustomKeysAndItemKeys) {
    const std::wstring path = Package(
        "[Main]\n// a comment\nname=lower\nTitle = Movanta Player // "
        "shown\nBtn1=POS:10,10,60,30;IMAGE:a.bmp,4;ID:0x3E9\n"
        "canvas=IMAGE:a.bmp\n[Other]\nName=other\n");
    CzSkinParser parser;
    parser.fnParse(path.c_str(), L"MAIN", nullptr);
    EXPECT_EQ(parser.fnGetNumberCustomKeys(), 2);
    EXPECT_EQ(parser.fnGetCustomKey(L"Title "), CString(L"MovantaPlayer")) << "spaces and the comment go";
    EXPECT_TRUE(parser.fnGetCustomKey(L"Name").IsEmpty()) << "names match exactly";
    CString value;
    EXPECT_EQ(parser.fnGetCustomKey(0, value), CString(L"name"));
    EXPECT_EQ(value, CString(L"lower"));
    ASSERT_EQ(parser.fnGetItemKeys().size(), 2u);
    EXPECT_EQ(parser.fnGetItemKeys()[0].m_kind, KEY_BTN);
    EXPECT_EQ(parser.fnGetItemKeys()[0].m_line, 4);
    EXPECT_EQ(parser.fnGetItemKeys()[1].m_kind, KEY_CANVAS);

    // Once loaded, the package argument is not read again.
    parser.fnParse(L"no such package", L"Other", nullptr);
    EXPECT_EQ(parser.fnGetCustomKey(L"Name"), CString(L"other"));
    try {
        parser.fnParse(path.c_str(), L"Missing", nullptr);
        ADD_FAILURE() << "no such section";
    } catch (CzSkinParserException* error) {
        EXPECT_EQ(error->fnGetCause(), CzSkinParserException::sectionNotFound);
    }
}

TEST_F(ParseTest, AnUnreadablePackageLeavesThePackageEmpty) {
    std::ofstream(dir_.File("bad.zsp"), std::ios::binary) << "not a package";
    CzSkinParser parser;
    for (const std::wstring& path : {Path("bad.zsp"), Path("missing.zsp")}) {
        try {
            parser.fnParse(path.c_str(), L"Main", nullptr);
            ADD_FAILURE() << "unreadable";
        } catch (CzSkinParserException* error) {
            EXPECT_EQ(error->fnGetCause(), CzSkinParserException::packageUnreadable);
        }
        EXPECT_EQ(CzSkinParser::fnGetPackage().fnGetNumberItems(), 0);
    }
}

TEST_F(ParseTest, FontsOfTheSystemLanguageOrTheFallback) {
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    const std::wstring path = Package(
        "[Font]\n0409=Sans,12,400,4;Sans,20,700,3;\n0407=Sans,14,400,4;Sans,-9,700,3;Sans,,400,4;Sans,30,400,4;\n"
        "[Main]\nKey=1\n");
    CzSkinParser parser;
    parser.fnParse(path.c_str(), L"Main", nullptr);
    unsetenv("LC_ALL");
    const CzSkinPackage& package = CzSkinParser::fnGetPackage();
    ASSERT_EQ(package.fnGetNumberFonts(), 2) << "German, stopping at the entry without a height";
    LOGFONTW font {};
    package.fnGetFont(0)->GetLogFont(&font);
    EXPECT_EQ(font.lfHeight, -14) << "a positive height is made negative";
    package.fnGetFont(1)->GetLogFont(&font);
    EXPECT_EQ(font.lfHeight, -9);
    EXPECT_EQ(font.lfWeight, 700);
    EXPECT_EQ(font.lfQuality, 3);
    EXPECT_EQ(package.fnGetFont(2), nullptr);
}

TEST_F(ParseTest, MasterKeysAndAlignReferences) {
    Parser parser;
    parser.fnParse(Package("[Main]\nKey=1\n").c_str(), L"Main", nullptr);
    int canvas = 0;
    int anchor = 0;
    auto* canvasItem = reinterpret_cast<CzLocation*>(&canvas);
    auto* anchorItem = reinterpret_cast<CzLocation*>(&anchor);
    parser.fnAddMasterKey(L"Canvas", canvasItem);
    parser.fnAddMasterKey(L"Anchor", anchorItem);
    EXPECT_EQ(parser.fnGetMasterKey(L"CanvasMain"), canvasItem) << "the canvas takes the section's name";
    EXPECT_EQ(parser.fnGetMasterKey(L"anchor"), nullptr) << "names match exactly";

    CArray<CzRefObj> refs;
    parser.fnReadRefs(
        L"POS:1,2,3,4;ALIGN:CanvasMain,0x11;ALIGN:0x200,50,25;ALIGN:Anchor,1;ALIGN:Nobody,3;ALIGN:Anchor2,1", refs);
    ASSERT_EQ(refs.GetSize(), 5);
    EXPECT_EQ(refs[0].m_pRef, canvasItem);
    EXPECT_EQ(refs[0].m_flags, 0x11);
    EXPECT_EQ(refs[0].m_dx, 0) << "dx and dy start at 0";
    EXPECT_EQ(refs[1].m_pRef, canvasItem) << "no name repeats the previous reference";
    EXPECT_EQ(refs[1].m_dx, 50);
    EXPECT_EQ(refs[2].m_pRef, anchorItem);
    EXPECT_EQ(refs[2].m_dy, 25) << "dx and dy not given keep the previous ones";
    EXPECT_EQ(refs[3].m_pRef, nullptr) << "an unregistered name means the window's canvas";
    EXPECT_EQ(refs[4].m_pRef, nullptr) << "a name with a digit is a number: the reference repeats";
    EXPECT_EQ(refs[4].m_flags, 0);

    const std::vector<CzCustomKey> languages = {{L"0407", L"German", 1}, {L"0409", L"English", 2}};
    EXPECT_EQ(Parser::fnChooseFontList(languages, 0x0407), CString(L"German"));
    EXPECT_EQ(Parser::fnChooseFontList(languages, 0x040C), CString(L"English")) << "the fallback";
    EXPECT_TRUE(Parser::fnChooseFontList({{L"0407", L"German", 1}}, 0x040C).IsEmpty()) << "no fonts";
}

TEST_F(ParseTest, TheResourceCheckNamesWhatIsMissing) {
    Package(
        "[Main]\nCanvas=IMAGE:a.bmp,1;MASK:mask.bmp,1\nBtn1=IMAGE:B.BMP,4\nBtn2=IMAGE:b.bmp,4\nText1=IMAGE:text.bmp,1\n"
        "Custom=IMAGE:c.jpg,1;MASK:a.bmp,1\n// Image1=IMAGE:commented.bmp\n");
    CzSkinPackage package;
    CFile file(Path("skin.zsp").c_str(), CFile::modeRead);
    CArchive archive(&file, CArchive::load);
    package.Serialize(archive);
    CStringArray missing;
    package.fnCheckResource(missing);
    ASSERT_EQ(missing.GetSize(), 3);
    EXPECT_EQ(missing[0], CString(L"mask.bmp"));
    EXPECT_EQ(missing[1], CString(L"B.BMP")) << "each name once, in any case";
    EXPECT_EQ(missing[2], CString(L"c.jpg"));
}

}  // namespace
