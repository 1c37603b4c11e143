// Damaged packages: every seventh prefix of the corpus in
// testdata/package_corpus is unreadable, and seeded random mutations either
// read or fail with the parser's causes; pictures from whatever reads load
// or fail cleanly. The sanitizer build catches anything read out of
// bounds. fuzz_package.sh runs the same under libFuzzer for longer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "exercise.h"
#include "testing/testing.h"

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

bool Exercise(const std::string& path, const Bytes& bytes) {
    const Exercised result = ExercisePackage(path, bytes.data(), bytes.size());
    EXPECT_EQ(result.unexpected, 0);
    return result.readable;
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
}

}  // namespace
