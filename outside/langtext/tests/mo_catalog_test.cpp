// Reading compiled catalogues: both byte orders, what counts as a text, and
// damaged bytes that must be refused without reading outside the file.
#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "langtext/mo_catalog.h"
#include "testing/testing.h"

namespace {

using movanta::langtext::ReadMoCatalog;
using movanta::langtext::ReadMoFile;

std::vector<std::uint8_t> Compile(const movanta::testing::TempDir& dir, const std::string& po,
                                  const std::vector<std::string>& options = {}) {
    std::ofstream(dir.File("in.po")) << po;
    std::vector<std::string> argv = {MSGFMT};
    argv.insert(argv.end(), options.begin(), options.end());
    for (const std::string& word : {std::string("-o"), dir.File("out.mo"), dir.File("in.po")}) argv.push_back(word);
    EXPECT_EQ(movanta::testing::Run(argv), 0);
    std::ifstream file(dir.File("out.mo"), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

const char* kCatalogue =
    "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
    "msgctxt \"7\"\nmsgid \"Play\"\nmsgstr \"Lecture\"\n\n"
    "msgctxt \"1011\"\nmsgid \"Cannot play\"\nmsgstr \"Lecture impossible : « %s »\"\n\n"
    "msgctxt \"menu\"\nmsgid \"File\"\nmsgstr \"Fichier\"\n\n"
    "msgid \"No context\"\nmsgstr \"Sans contexte\"\n\n"
    "msgctxt \"12\"\nmsgid \"file\"\nmsgid_plural \"files\"\nmsgstr[0] \"fichier\"\nmsgstr[1] \"fichiers\"\n";

TEST(MoCatalog, ReadsNumberedTextsInEitherByteOrder) {
    const movanta::testing::TempDir dir;
    for (const char* order : {"--endianness=little", "--endianness=big"}) {
        SCOPED_TRACE(order);
        const auto texts = ReadMoCatalog(Compile(dir, kCatalogue, {order}));
        ASSERT_TRUE(texts);
        EXPECT_EQ(texts->size(), 3u);  // the unnumbered ones are not the program's
        EXPECT_EQ(texts->at(7), L"Lecture");
        EXPECT_EQ(texts->at(1011), L"Lecture impossible : « %s »");
        EXPECT_EQ(texts->at(12), L"fichier");
    }
}

TEST(MoCatalog, RefusesOtherCharacterSetsAndWhatIsNoCatalogue) {
    const movanta::testing::TempDir dir;
    std::ofstream(dir.File("latin1.po"), std::ios::binary)
        << "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=ISO-8859-1\\n\"\n\n"
           "msgctxt \"7\"\nmsgid \"Play\"\nmsgstr \"Lecture \xe0\"\n";
    ASSERT_EQ(movanta::testing::Run({MSGFMT, "-o", dir.File("latin1.mo"), dir.File("latin1.po")}), 0);
    EXPECT_FALSE(ReadMoFile(dir.File("latin1.mo")));
    EXPECT_FALSE(ReadMoFile(dir.File("none.mo")));
    EXPECT_FALSE(ReadMoCatalog(std::vector<std::uint8_t>(100, 0)));
    EXPECT_FALSE(ReadMoCatalog({}));
}

// Every single-byte change and every cut of a real catalogue either reads
// or is refused; the sanitizer build sees any read outside the bytes.
TEST(MoCatalog, DamagedBytesAreReadOrRefusedNeverOverrun) {
    const movanta::testing::TempDir dir;
    const std::vector<std::uint8_t> good = Compile(dir, kCatalogue);
    ASSERT_TRUE(ReadMoCatalog(good));
    std::mt19937 random(26);
    for (size_t at = 0; at < good.size(); ++at) {
        std::vector<std::uint8_t> bad = good;
        bad[at] ^= static_cast<std::uint8_t>(1 + random() % 255);
        ReadMoCatalog(bad);
        bad.resize(at);
        EXPECT_FALSE(ReadMoCatalog(bad)) << "a catalogue cut at " << at << " was taken whole";
    }
}

}  // namespace
