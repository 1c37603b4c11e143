// Truncated and garbled archives: reading every prefix of a valid archive,
// and a seeded run of random mutations of the corpus in testdata/, either
// succeeds or throws CArchiveException (or CMemoryException); the
// sanitizer build catches any read out of bounds or leak. The same corpus
// feeds the libFuzzer target (fuzz_archive.cpp) for longer runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "test_items.h"
#include "testing/testing.h"
#include "win/text.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Reads `bytes` as an item list; false when the reader threw.
bool ReadList(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    CFile file(movanta::Utf8ToWide(path).c_str(), CFile::modeRead);
    CArchive archive(&file, CArchive::load);
    CTestList list;
    try {
        list.Load(archive);
        return true;
    } catch (CArchiveException* error) {
        error->Delete();
    } catch (CMemoryException* error) {
        error->Delete();
    }
    return false;
}

std::vector<Bytes> Corpus() {
    std::vector<Bytes> corpus;
    for (const auto& entry : std::filesystem::directory_iterator(AFX_TESTDATA "/archive_corpus")) {
        std::ifstream in(entry.path(), std::ios::binary);
        corpus.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return corpus;
}

TEST(ArchiveRobustness, EveryPrefixOfAValidArchiveFailsCleanly) {
    movanta::testing::TempDir dir;
    const auto corpus = Corpus();
    ASSERT_FALSE(corpus.empty());
    for (const Bytes& whole : corpus) {
        ASSERT_TRUE(ReadList(dir.File("whole"), whole));
        for (size_t length = 0; length < whole.size(); ++length)
            EXPECT_FALSE(ReadList(dir.File("part"), Bytes(whole.begin(), whole.begin() + length))) << length;
    }
}

TEST(ArchiveRobustness, RandomMutationsNeverMisbehave) {
    movanta::testing::TempDir dir;
    const auto corpus = Corpus();
    std::mt19937 random(20261207);
    int survived = 0;
    for (int round = 0; round < 3000; ++round) {
        Bytes bytes = corpus[random() % corpus.size()];
        for (int edits = 1 + random() % 4; edits > 0 && !bytes.empty(); --edits) {
            const size_t at = random() % bytes.size();
            switch (random() % 4) {
                case 0: bytes[at] = static_cast<std::uint8_t>(random()); break;
                case 1: bytes[at] ^= static_cast<std::uint8_t>(1u << (random() % 8)); break;
                case 2: bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(at)); break;
                default: bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), {0xFF, 0xFF}); break;
            }
        }
        survived += ReadList(dir.File("mutant"), bytes) ? 1 : 0;
    }
    EXPECT_GT(survived, 0) << "some mutations still read";
}

}  // namespace
