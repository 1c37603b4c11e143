// CFile: open modes, reading and writing, seeking, and share modes kept
// between openers.
#include <gtest/gtest.h>

#include <functional>

#include "afx/file.h"
#include "testing/testing.h"
#include "win/text.h"

namespace {

class FileTest : public ::testing::Test {
protected:
    CString Path(const char* name) const { return CString(std::wstring_view(movanta::Utf8ToWide(dir_.File(name)))); }
    movanta::testing::TempDir dir_;
};

TEST_F(FileTest, ModesReadingWritingAndSeeking) {
    CFileException error;
    CFile missing;
    EXPECT_FALSE(missing.Open(Path("missing.bin"), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);

    CFile out(Path("data.bin"), CFile::modeCreate | CFile::modeWrite);
    out.Write("hello world", 11);
    EXPECT_EQ(out.GetLength(), 11u);
    out.Seek(6, CFile::begin);
    out.Write("there", 5);
    out.Close();

    CFile in(Path("data.bin"), CFile::modeRead);
    char buffer[32] = {};
    EXPECT_EQ(in.Read(buffer, sizeof(buffer)), 11u) << "fewer than asked at the end";
    EXPECT_STREQ(buffer, "hello there");
    EXPECT_EQ(in.Seek(-5, CFile::end), 6u);
    EXPECT_EQ(in.GetPosition(), 6u);
    auto cause = [](const std::function<void()>& action) {
        try {
            action();
        } catch (CFileException* error) {
            const int found = error->m_cause;
            error->Delete();
            return found;
        }
        return static_cast<int>(CFileException::none);
    };
    EXPECT_EQ(cause([&] { in.Write("x", 1); }), CFileException::invalidFile) << "opened for reading";
    EXPECT_EQ(cause([&] { in.Seek(-100, CFile::begin); }), CFileException::badSeek);
    in.Close();

    // modeNoTruncate keeps what is there; modeCreate alone empties it.
    CFile kept(Path("data.bin"), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite);
    EXPECT_EQ(kept.GetLength(), 11u);
    kept.Close();
    CFile emptied(Path("data.bin"), CFile::modeCreate | CFile::modeWrite);
    EXPECT_EQ(emptied.GetLength(), 0u);
}

TEST_F(FileTest, ShareModesAreKeptBetweenOpeners) {
    CFile(Path("shared.bin"), CFile::modeCreate | CFile::modeWrite).Close();
    auto opens = [&](UINT flags) {
        CFile file;
        CFileException error;
        const bool opened = file.Open(Path("shared.bin"), flags, &error);
        EXPECT_TRUE(opened || error.m_cause == CFileException::sharingViolation);
        return opened;
    };
    {
        CFile reader(Path("shared.bin"), CFile::modeRead | CFile::shareDenyWrite);
        EXPECT_TRUE(opens(CFile::modeRead | CFile::shareDenyNone));
        EXPECT_FALSE(opens(CFile::modeWrite | CFile::shareDenyNone)) << "writing is denied";
        EXPECT_FALSE(opens(CFile::modeRead | CFile::shareDenyRead)) << "would deny the reader";
    }
    {
        CFile writer(Path("shared.bin"), CFile::modeWrite | CFile::shareDenyNone);
        EXPECT_FALSE(opens(CFile::modeRead | CFile::shareDenyWrite)) << "someone writes already";
        EXPECT_TRUE(opens(CFile::modeReadWrite | CFile::shareDenyNone));
    }
    {
        CFile exclusive(Path("shared.bin"), CFile::modeRead | CFile::shareExclusive);
        EXPECT_FALSE(opens(CFile::modeRead | CFile::shareDenyNone));
    }
    EXPECT_TRUE(opens(CFile::modeReadWrite | CFile::shareExclusive)) << "closing ends the sharing";
}

}  // namespace
