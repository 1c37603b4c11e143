// movanta-skin's commands on a package made from a folder: pack, list,
// sections, check (with a missing picture) and unpack back to the same
// files; a damaged package gives a message and status 2.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "skin_commands.h"
#include "testing/testing.h"

namespace movanta::skintool {
namespace {

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(SkinToolTest, PackListSectionsCheckAndUnpack) {
    testing::TempDir dir;
    const std::string pictures = dir.File("pictures");
    std::filesystem::create_directories(pictures);
    std::ofstream(pictures + "/b.bmp", std::ios::binary) << std::string(14, 'H') + std::string(44, '\1');
    std::ofstream(pictures + "/a.JPG", std::ios::binary) << "jpeg bytes";
    std::ofstream(pictures + "/notes.txt") << "not a picture";
    const std::string script =
        "[Main]\r\nCanvas=IMAGE:b.bmp,1\r\nBtn1=POS:1,2,3,4;IMAGE:gone.bmp,4\r\nTitle=Hi\r\n[Font]\r\n0409=Sans,12,400,"
        "4;\r\n";
    std::ofstream(dir.File("Skin.txt"), std::ios::binary) << script;
    // Stored as UTF-16 without the CRs, with a NUL.
    const size_t scriptBytes = 2 * (script.size() - std::count(script.begin(), script.end(), '\r') + 1);
    std::ostringstream out;
    std::ostringstream err;
    const std::string package = dir.File("skin.zsp");
    ASSERT_EQ(Pack(dir.File("Skin.txt"), {pictures}, package, out, err), 0) << err.str();

    out.str("");
    ASSERT_EQ(List(package, out, err), 0);
    EXPECT_EQ(out.str(),
              "0\tscript\tSkin.txt\t" + std::to_string(scriptBytes) + "\n1\tjpg\ta.JPG\t10\n2\tbmp\tb.bmp\t44\n");

    out.str("");
    ASSERT_EQ(Sections(package, out, err), 0);
    EXPECT_EQ(out.str(),
              "[Main]\n  1\tcanvas\tCanvas\n  2\tbutton\tBtn1\n  3\tcustom\tTitle\n[Font]\n  5\tcustom\t0409\n");

    out.str("");
    EXPECT_EQ(Check(package, out, err), 1);
    EXPECT_EQ(out.str(), "missing: gone.bmp\n");

    out.str("");
    const std::string back = dir.File("back");
    ASSERT_EQ(Unpack(package, back, out, err), 0) << err.str();
    EXPECT_EQ(Contents(back + "/b.bmp").substr(14), Contents(pictures + "/b.bmp").substr(14)) << "a new file header";
    EXPECT_EQ(Contents(back + "/a.JPG"), "jpeg bytes");
    EXPECT_EQ(Contents(back + "/Skin.txt").substr(0, 2), "\xFF\xFE");
}

TEST(SkinToolTest, MissingAndDamagedPackagesFailWithAMessage) {
    testing::TempDir dir;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(List(dir.File("none.zsp"), out, err), 2);
    EXPECT_NE(err.str().find("no package"), std::string::npos);
    std::ofstream(dir.File("bad.zsp"), std::ios::binary) << "\x05\x00garbage";
    err.str("");
    EXPECT_EQ(Check(dir.File("bad.zsp"), out, err), 2);
    EXPECT_NE(err.str().find("damaged"), std::string::npos);
    err.str("");
    EXPECT_EQ(Pack(dir.File("no-script.txt"), {}, dir.File("out.zsp"), out, err), 2);
    EXPECT_NE(err.str().find("cannot use"), std::string::npos);
}

}  // namespace
}  // namespace movanta::skintool
