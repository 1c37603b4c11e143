// Damaged packages: every prefix of the corpus in testdata/package_corpus
// is unreadable, and seeded random mutations either read or fail with the
// parser's causes; pictures from whatever reads load or fail cleanly. The
// sanitizer build catches anything read out of bounds. fuzz_package.sh
// runs the same under libFuzzer for longer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "skin/skin_package.h"
#include "skin/skin_parser.h"
#include "testing/testing.h"
#include "win/text.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

std::vector<Bytes> Corpus() {
    std::vector<Bytes> corpus;
    for (const auto& entry : std::filesystem::directory_iterator(SKIN_TESTDATA "/package_corpus")) {
        std::ifstream in(entry.path(), std::ios::binary);
        corpus.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return corpus;
}

// Loads the bytes as the shared package and every picture in it; false
// when the package was unreadable.
bool Exercise(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    CzSkinPackage& package = CzSkinParser::fnGetPackage();
    package.fnRemoveAll();
    CzSkinParser parser;
    try {
        parser.fnParse(movanta::Utf8ToWide(path).c_str(), L"Main", nullptr);
    } catch (CzSkinParserException* error) {
        if (error->fnGetCause() == CzSkinParserException::packageUnreadable) return false;
    }
    CStringArray missing;
    package.fnCheckResource(missing);
    for (int i = 1; i < package.fnGetNumberItems(); ++i) {
        SKIN_TYPE type = SKIN_TEXT;
        CString name;
        DWORD size = 0;
        package.fnGetItem(i, type, name, size);
        try {
            DeleteObject(parser.fnLoadImage(name));
        } catch (CzSkinParserException* error) {
            EXPECT_EQ(error->fnGetCause(), CzSkinParserException::resourceNotFound);
        } catch (CMemoryException* error) {
            error->Delete();
        }
    }
    return true;
}

TEST(PackageRobustness, PrefixesAreUnreadableAndMutationsFailCleanly) {
    movanta::testing::TempDir dir;
    const auto corpus = Corpus();
    ASSERT_FALSE(corpus.empty());
    for (const Bytes& whole : corpus) {
        ASSERT_TRUE(Exercise(dir.File("whole.zsp"), whole));
        for (size_t length = 0; length < whole.size(); length += 7)
            EXPECT_FALSE(Exercise(dir.File("part.zsp"),
                                  Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length))));
    }
    std::mt19937 random(20261207);
    int readable = 0;
    for (int round = 0; round < 1500; ++round) {
        Bytes bytes = corpus[random() % corpus.size()];
        for (int edits = 1 + random() % 4; edits > 0 && !bytes.empty(); --edits) {
            const size_t at = random() % bytes.size();
            switch (random() % 3) {
                case 0: bytes[at] = static_cast<std::uint8_t>(random()); break;
                case 1: bytes[at] ^= static_cast<std::uint8_t>(1u << (random() % 8)); break;
                default: bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), {0xFF, 0xFF, 0xFF, 0x7F}); break;
            }
        }
        readable += Exercise(dir.File("mutant.zsp"), bytes) ? 1 : 0;
    }
    EXPECT_GT(readable, 0);
    CzSkinParser::fnGetPackage().fnRemoveAll();
}

}  // namespace
