// The archive's byte format: strings of every length class in both forms,
// counts, and object lists with classes, class references and
// back-references, written and read through files.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>

#include "test_items.h"
#include "testing/testing.h"
#include "win/text.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class ArchiveTest : public ::testing::Test {
protected:
    // What `write` stores, as bytes.
    Bytes Stored(const std::function<void(CArchive&)>& write) {
        CFile file(Path(), CFile::modeCreate | CFile::modeWrite);
        {
            CArchive archive(&file, CArchive::store);
            write(archive);
            archive.Close();
        }
        file.Close();
        std::ifstream in(dir_.File("archive.bin"), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    // Reads `bytes` back with `read`.
    void Load(const Bytes& bytes, const std::function<void(CArchive&)>& read) {
        std::ofstream(dir_.File("archive.bin"), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        CFile file(Path(), CFile::modeRead);
        CArchive archive(&file, CArchive::load);
        read(archive);
    }
    CString Path() const { return CString(std::wstring_view(movanta::Utf8ToWide(dir_.File("archive.bin")))); }

    movanta::testing::TempDir dir_;
};

Bytes Prefix(const Bytes& bytes, size_t count) {
    return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(count, bytes.size())));
}

TEST_F(ArchiveTest, StringsOfEveryLengthClassRoundTripInTheWideForm) {
    // Length in UTF-16 units -> the bytes of its prefix after 0xFF 0xFFFE.
    const std::vector<std::pair<size_t, Bytes>> classes = {
        {0, {0x00}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {0xFFFD, {0xFF, 0xFD, 0xFF}},
        {0xFFFE, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
    };
    for (const auto& [length, prefix] : classes) {
        SCOPED_TRACE(length);
        CString text;
        for (size_t i = 0; i < length; ++i) text += static_cast<WCHAR>(L'a' + i % 26);
        const Bytes bytes = Stored([&](CArchive& archive) { archive << text; });
        Bytes expected = {0xFF, 0xFE, 0xFF};
        expected.insert(expected.end(), prefix.begin(), prefix.end());
        ASSERT_EQ(Prefix(bytes, expected.size()), expected);
        EXPECT_EQ(bytes.size(), expected.size() + 2 * length);
        CString back;
        Load(bytes, [&](CArchive& archive) { archive >> back; });
        EXPECT_EQ(back, text);
    }
}

TEST_F(ArchiveTest, NonAsciiTextAndTheNarrowForm) {
    // Beyond the Basic Multilingual Plane: two UTF-16 units, counted as two.
    const CString text(L"\u00e9t\u00e9 \U0001F3B5");
    const Bytes bytes = Stored([&](CArchive& archive) { archive << text; });
    EXPECT_EQ(Prefix(bytes, 4), (Bytes {0xFF, 0xFE, 0xFF, 6}));
    EXPECT_EQ(Prefix(Bytes(bytes.end() - 4, bytes.end()), 4), (Bytes {0x3C, 0xD8, 0xB5, 0xDF}));
    CString back;
    Load(bytes, [&](CArchive& archive) { archive >> back; });
    EXPECT_EQ(back, text);

    // The narrow form: length, then the bytes of the 8-bit code page (UTF-8).
    Bytes narrow = {5, 'c', 0xC3, 0xA9, 'l', 'a'};
    Load(narrow, [&](CArchive& archive) { archive >> back; });
    EXPECT_EQ(back, CString(L"c\u00e9la"));
    narrow = {0xFF, 0x2C, 0x01};
    narrow.resize(narrow.size() + 300, 'x');
    Load(narrow, [&](CArchive& archive) { archive >> back; });
    EXPECT_EQ(back.GetLength(), 300);
}

TEST_F(ArchiveTest, CountsBelowAndAboveSixteenBits) {
    for (const auto& [count, expected] :
         std::vector<std::pair<DWORD, Bytes>> {{0, {0, 0}},
                                               {0xFFFE, {0xFE, 0xFF}},
                                               {0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0, 0}},
                                               {0x12345, {0xFF, 0xFF, 0x45, 0x23, 0x01, 0x00}}}) {
        const Bytes bytes = Stored([&](CArchive& archive) { archive.WriteCount(count); });
        EXPECT_EQ(bytes, expected) << count;
        DWORD back = 0;
        Load(bytes, [&](CArchive& archive) { back = archive.ReadCount(); });
        EXPECT_EQ(back, count);
    }
}

TEST_F(ArchiveTest, ObjectListsCarryTheClassOnceAndReferencesAfter) {
    for (const size_t count : {1u, 2u, 40000u}) {
        SCOPED_TRACE(count);
        CTestList list;
        for (size_t i = 0; i < count; ++i) list.items.Add(new CTestItem(static_cast<WORD>(i), L"n"));
        const Bytes bytes = Stored([&](CArchive& archive) { list.Store(archive); });
        // Count, new-class tag, schema 1 (without the versionable flag),
        // name length 9, "CTestItem", then the first body.
        const Bytes head = count < 0xFFFF
                               ? Bytes {static_cast<std::uint8_t>(count & 0xFF), static_cast<std::uint8_t>(count >> 8)}
                               : Bytes {};
        Bytes expected = head;
        for (const int byte : {0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00}) expected.push_back(static_cast<std::uint8_t>(byte));
        for (const char ch : std::string("CTestItem")) expected.push_back(static_cast<std::uint8_t>(ch));
        ASSERT_EQ(Prefix(bytes, expected.size()), expected);
        // Each body is 2 + 6 bytes; every later object is the class reference 0x8001.
        const size_t body = 8;
        EXPECT_EQ(bytes.size(), expected.size() + body + (count - 1) * (2 + body));
        if (count > 1) {
            EXPECT_EQ(
                Prefix(Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(expected.size() + body), bytes.end()), 2),
                (Bytes {0x01, 0x80}));
        }

        CTestList back;
        Load(bytes, [&](CArchive& archive) { back.Load(archive); });
        ASSERT_EQ(back.items.GetSize(), static_cast<int>(count));
        for (size_t i = 0; i < count; i += 997) {
            auto* item = static_cast<CTestItem*>(back.items[static_cast<int>(i)]);
            ASSERT_TRUE(item->IsKindOf(RUNTIME_CLASS(CTestItem)));
            EXPECT_EQ(item->number, static_cast<WORD>(i));
            EXPECT_EQ(item->loadedSchema, 1u);
        }
    }
}

TEST_F(ArchiveTest, BackReferencesNullsAndThirtyTwoBitTags) {
    // 40,000 objects, then the first again (a 16-bit index), the last again
    // (past 0x7FFF: the escape and a 32-bit index), and a null.
    CTestList list;
    for (WORD i = 0; i < 40000; ++i) list.items.Add(new CTestItem(i, L""));
    CTestList stored;
    stored.items.Copy(list.items);
    stored.items.Add(list.items[0]);
    stored.items.Add(list.items[list.items.GetUpperBound()]);
    stored.items.Add(nullptr);
    const Bytes bytes = Stored([&](CArchive& archive) { stored.Store(archive); });
    stored.items.RemoveAll();  // `list` owns them
    // Map indices: class 1, objects 2..40001.
    const Bytes tail(bytes.end() - 10, bytes.end());
    EXPECT_EQ(tail, (Bytes {0x02, 0x00, 0xFF, 0x7F, 0x41, 0x9C, 0x00, 0x00, 0x00, 0x00}));

    CTestList back;
    Load(bytes, [&](CArchive& archive) { back.Load(archive); });
    ASSERT_EQ(back.items.GetSize(), 40003);
    EXPECT_EQ(back.items[40000], back.items[0]);
    EXPECT_EQ(back.items[40001], back.items[39999]);
    EXPECT_EQ(back.items[40002], nullptr);
}

TEST_F(ArchiveTest, ClassesSchemasAndIndicesOutOfPlaceAreRefused) {
    auto cause = [&](const Bytes& bytes) {
        try {
            CTestList back;
            Load(bytes, [&](CArchive& archive) { back.Load(archive); });
        } catch (CArchiveException* error) {
            const int found = error->m_cause;
            error->Delete();
            return found;
        }
        return static_cast<int>(CArchiveException::none);
    };
    auto newClass = [](const std::string& name, WORD schema) {
        Bytes bytes = {1, 0, 0xFF, 0xFF, static_cast<std::uint8_t>(schema), 0, static_cast<std::uint8_t>(name.size()),
                       0};
        bytes.insert(bytes.end(), name.begin(), name.end());
        return bytes;
    };
    EXPECT_EQ(cause(newClass("CUnheardOf", 1)), CArchiveException::badClass);
    Bytes strict = newClass("CStrictItem", 3);
    strict.insert(strict.end(), {0, 0, 0, 0});
    EXPECT_EQ(cause(strict), CArchiveException::badSchema);
    strict[4] = 2;
    EXPECT_EQ(cause(strict), CArchiveException::none);
    Bytes versioned = newClass("CTestItem", 7);
    versioned.insert(versioned.end(), {1, 0, 0});
    EXPECT_EQ(cause(versioned), CArchiveException::none) << "a versionable class takes any schema";
    EXPECT_EQ(cause({1, 0, 0x01, 0x80}), CArchiveException::badIndex) << "a class never written";
    EXPECT_EQ(cause({1, 0, 0x05, 0x00}), CArchiveException::badIndex) << "an object never written";
    EXPECT_EQ(cause({1, 0, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF}), CArchiveException::badIndex);
    Bytes classAsObject = newClass("CTestItem", 1);
    classAsObject.insert(classAsObject.end(), {1, 0, 0});
    classAsObject[0] = 2;
    classAsObject.insert(classAsObject.end(), {0x01, 0x00});
    EXPECT_EQ(cause(classAsObject), CArchiveException::badIndex) << "index 1 is the class, not an object";
    EXPECT_EQ(cause({3, 0}), CArchiveException::endOfFile);
}

}  // namespace
