// CString: formatting with the framework's wide conventions, searching and
// cutting, and case rules that hold beyond ASCII.
#include <gtest/gtest.h>

#include "afx/cstring.h"

namespace {

TEST(CStringTest, FormatTakesWideStringsForPercentS) {
    CString text;
    text.Format(L"%s=%d;%c|%5.2f|%S|%04X|%%", L"caf\u00e9", -42, L'\u00fc', 3.14159, "narrow", 0xBEEF);
    EXPECT_EQ(text, CString(L"caf\u00e9=-42;\u00fc| 3.14|narrow|BEEF|%"));
    text.AppendFormat(L"+%ls", L"more");
    EXPECT_EQ(text.Right(5), CString(L"+more"));
    CString longer;
    longer.Format(L"%s", CString(L'x', 5000).GetString());
    EXPECT_EQ(longer.GetLength(), 5000);
}

TEST(CStringTest, CaseRulesHoldBeyondAscii) {
    EXPECT_EQ(CString(L"\u00c9COLE").CompareNoCase(L"\u00e9cole"), 0);
    EXPECT_EQ(CString(L"\u0416\u0443\u043a").CompareNoCase(L"\u0436\u0423\u041a"), 0);
    EXPECT_LT(CString(L"apple").CompareNoCase(L"BANANA"), 0);
    EXPECT_GT(CString(L"b").Compare(L"a"), 0);
    CString word(L"stra\u00dfe \u00e9t\u00e9");
    EXPECT_EQ(word.MakeUpper(), CString(L"STRA\u00dfE \u00c9T\u00c9"));
    EXPECT_EQ(word.MakeLower(), CString(L"stra\u00dfe \u00e9t\u00e9"));
}

TEST(CStringTest, SearchingCuttingAndEditing) {
    CString text(L"  Btn1 = POS:1,2,3,4; // note  ");
    EXPECT_EQ(text.Find(L'='), 7);
    EXPECT_EQ(text.Find(L"//"), 22);
    EXPECT_EQ(text.Find(L'=', 8), -1);
    EXPECT_EQ(text.Find(L"x", 99), -1);
    EXPECT_EQ(text.ReverseFind(L' '), 30);
    EXPECT_EQ(text.FindOneOf(L";/"), 20);
    EXPECT_EQ(text.Mid(2, 4), CString(L"Btn1"));
    EXPECT_EQ(text.Mid(40), CString());
    EXPECT_EQ(text.Mid(-3, 4), CString(L"  Bt"));
    EXPECT_EQ(text.Left(100), text);
    EXPECT_EQ(text.Right(0), CString());
    CString value = text.Mid(text.Find(L'=') + 1);
    value = value.Left(value.Find(L"//"));
    EXPECT_EQ(value.Remove(L' '), 2);
    EXPECT_EQ(value, CString(L"POS:1,2,3,4;"));
    EXPECT_EQ(value.Replace(L",", L", "), 3);
    EXPECT_EQ(value.Replace(L"", L"x"), 0);
    EXPECT_EQ(value.Replace(L';', L'.'), 1);
    EXPECT_EQ(value, CString(L"POS:1, 2, 3, 4."));
    EXPECT_EQ(text.Trim(), CString(L"Btn1 = POS:1,2,3,4; // note"));
    CString framed(L"--x--");
    EXPECT_EQ(framed.Trim(L'-'), CString(L"x"));
    EXPECT_EQ(CString("caf\xc3\xa9").ToUtf8(), "caf\xc3\xa9");
    EXPECT_EQ(CString(L"ab").GetAt(5), 0);
}

}  // namespace
