// The script as the parser reads it: lines and sections, key kinds in
// their order, values without spaces and comments, and every tag reader
// with its rules for missing commas, colours and "ALIGN:" references.
#include <gtest/gtest.h>

#include <string>

#include "skin/package/script_stream.h"
#include "skin/package/skin_parser.h"
#include "win/text.h"

namespace {

// Reaches the parser's protected helpers.
struct Parser : CzSkinParser {
    using CzSkinParser::fnIsNumber;
    using CzSkinParser::fnSkipTag;
};

std::vector<BYTE> Script(const std::u16string& text) {
    std::vector<BYTE> bytes;
    for (const char16_t unit : text + u'\0')
        bytes.insert(bytes.end(), {static_cast<BYTE>(unit), static_cast<BYTE>(unit >> 8)});
    return bytes;
}

TEST(ScriptTest, LinesAndSections) {
    const auto data = Script(u"// skin\n[Main]\n\nKey=1\n[ Other ]\n[main2]");
    CzScriptStream stream(data.data(), static_cast<DWORD>(data.size()));
    CString line;
    ASSERT_TRUE(stream.fnReadLine(line));
    EXPECT_TRUE(CzSkinParser::fnIsTagComment(line));
    EXPECT_EQ(stream.fnGetLineNumber(), 0);
    ASSERT_TRUE(stream.fnSeekSection(L"MAIN"));
    EXPECT_EQ(stream.fnGetLineNumber(), 1);
    ASSERT_TRUE(stream.fnReadLine(line));
    EXPECT_EQ(line, CString(L" ")) << "an empty line reads as a space";
    EXPECT_FALSE(stream.fnSeekSection(L"Other")) << "the name is what stands between the brackets";
    EXPECT_TRUE(stream.fnSeekSection(L" Other "));
    EXPECT_TRUE(stream.fnSeekSection(L"main2"));
    EXPECT_FALSE(stream.fnReadLine(line));
    EXPECT_TRUE(line.IsEmpty());
}

TEST(ScriptTest, KeyKindsNamesAndValues) {
    CString name;
    CString value;
    const std::pair<const wchar_t*, KEY_TYPE> kinds[] = {{L"Canvas=IMAGE:a.bmp", KEY_CANVAS},
                                                         {L"canvasTop=x", KEY_CANVAS},
                                                         {L"Btn1=x", KEY_BTN},
                                                         {L"CTRL9=x", KEY_CTRL},
                                                         {L"Splitter=x", KEY_SPLIT},
                                                         {L"TextTitle=x", KEY_TEXT},
                                                         {L"ImageLogo=x", KEY_IMAGE},
                                                         {L"IconApp=x", KEY_ICON},
                                                         {L"Name=x", KEY_CUSTOM},
                                                         {L" Btn1=x", KEY_CUSTOM},
                                                         {L"=x", KEY_NONE},
                                                         {L"Btn1=", KEY_NONE},
                                                         {L"no equals", KEY_NONE}};
    for (const auto& [line, kind] : kinds) EXPECT_EQ(CzSkinParser::fnParseKey(line, name, value), kind) << line;

    EXPECT_EQ(CzSkinParser::fnParseKey(L"Btn1 = POS: 10, 10 ,60,30; ID:0x3E9 // the play button", name, value),
              KEY_BTN);
    EXPECT_EQ(name, CString(L"Btn1 ")) << "the name keeps its spaces";
    EXPECT_EQ(value, CString(L"POS:10,10,60,30;ID:0x3E9"));
    EXPECT_EQ(CzSkinParser::fnParseKey(L"Title=//only a comment", name, value), KEY_CUSTOM);
    EXPECT_TRUE(value.IsEmpty()) << "a custom key may end up empty";
    EXPECT_EQ(CzSkinParser::fnParseKey(L"Url=a/b//c", name, value), KEY_CUSTOM);
    EXPECT_EQ(value, CString(L"a/b//c")) << "only the first slash is looked at, and no second follows it";
}

TEST(ScriptTest, TagReaders) {
    std::wstring text = L"pos:10,20,30,40;ID:0x3E9;COLOR:300,-1,2;IMAGE:play.bmp,4;STYLE:12;UNKNOWN:1,2;MARGIN:5,7";
    WCHAR* p = text.data();
    CRect rect;
    ASSERT_TRUE(CzSkinParser::fnIsTagPOS(p));
    ASSERT_TRUE(CzSkinParser::fnParseTag(p, rect));
    EXPECT_EQ(rect, CRect(10, 20, 30, 40));
    int id = 0;
    ASSERT_TRUE(CzSkinParser::fnIsTagID(p));
    ASSERT_TRUE(CzSkinParser::fnParseTag(p, id));
    EXPECT_EQ(id, 1001);
    COLORREF colour = 0;
    ASSERT_TRUE(CzSkinParser::fnIsTagCOLOR(p));
    ASSERT_TRUE(CzSkinParser::fnParseTag(p, colour));
    EXPECT_EQ(colour, RGB(44, 255, 2)) << "each part modulo 256";
    CString image;
    int count = 0;
    ASSERT_TRUE(CzSkinParser::fnIsTagIMAGE(p));
    ASSERT_TRUE(CzSkinParser::fnParseTag(p, image, count));
    EXPECT_EQ(image, CString(L"play.bmp"));
    EXPECT_EQ(count, 4);
    int style = 0;
    ASSERT_TRUE(CzSkinParser::fnIsTagSTYLE(p));
    ASSERT_TRUE(CzSkinParser::fnParseTag(p, style));
    EXPECT_FALSE(CzSkinParser::fnIsTagMARGIN(p));
    Parser::fnSkipTag(p);
    int first = 0;
    int second = 0;
    ASSERT_TRUE(CzSkinParser::fnIsTagMARGIN(p));
    ASSERT_TRUE(CzSkinParser::fnParseTag(p, first, second)) << "the last tag may end at the end";
    EXPECT_EQ(second, 7);
    EXPECT_EQ(*p, 0);

    // A field list without its commas takes the rest of the value with it.
    std::wstring broken = L"POS:1 2 3 4;ID:5";
    p = broken.data();
    CzSkinParser::fnIsTagPOS(p);
    EXPECT_FALSE(CzSkinParser::fnParseTag(p, rect));
    EXPECT_EQ(*p, 0);
    std::wstring shortColour = L"12,34;";
    p = shortColour.data();
    colour = RGB(1, 2, 3);
    EXPECT_FALSE(CzSkinParser::fnParseTag(p, colour));
    EXPECT_EQ(colour, RGB(1, 2, 3)) << "fewer than three numbers leave the colour";
}

TEST(ScriptTest, AlignReferencesFlagsAndOffsets) {
    CString reference;
    int flags = -1;
    CSize offset(3, 4);
    auto align = [&](std::wstring value) {
        WCHAR* p = value.data();
        CzSkinParser::fnParseTag(p, reference, flags, offset);
        return std::wstring(p);
    };
    EXPECT_EQ(align(L"CanvasMain,0x11;ID:1"), L"ID:1");
    EXPECT_EQ(reference, CString(L"CanvasMain"));
    EXPECT_EQ(flags, 0x11);
    EXPECT_EQ(offset, CSize(3, 4)) << "dx and dy not given keep their values";
    align(L"Anchor2,1");
    EXPECT_TRUE(reference.IsEmpty()) << "a name with a digit counts as a number";
    EXPECT_EQ(flags, 0);
    align(L"0x200,50,-25");
    EXPECT_EQ(flags, 0x200);
    EXPECT_EQ(offset, CSize(50, -25));
    EXPECT_TRUE(Parser::fnIsNumber(L"0xZZ"));
    EXPECT_FALSE(Parser::fnIsNumber(L"Anchor"));
}

}  // namespace
