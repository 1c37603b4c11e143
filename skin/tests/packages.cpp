#include "packages.h"

#include <algorithm>
#include <fstream>

#include "skin/package/skin_package.h"
#include "win/text.h"

void WriteBmp(const std::string& path, int width, int height, int bitCount, std::uint8_t fill) {
    const int stride = ((width * bitCount + 31) / 32) * 4;
    const int paletteBytes = bitCount == 8 ? 256 * 4 : 0;
    const int offset = 14 + 40 + paletteBytes;
    std::string file(static_cast<size_t>(offset + stride * height), '\0');
    auto put = [&](size_t at, std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) file[at + static_cast<size_t>(i)] = static_cast<char>(value >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put(2, static_cast<std::uint32_t>(file.size()), 4);
    put(10, static_cast<std::uint32_t>(offset), 4);
    put(14, 40, 4);
    put(18, static_cast<std::uint32_t>(width), 4);
    put(22, static_cast<std::uint32_t>(height), 4);
    put(26, 1, 2);
    put(28, static_cast<std::uint32_t>(bitCount), 2);
    for (int i = 0; i < paletteBytes / 4; ++i)
        put(54 + static_cast<size_t>(4 * i), static_cast<std::uint32_t>(i * 0x010101), 4);
    std::fill(file.begin() + offset, file.end(), static_cast<char>(fill));
    std::ofstream(path, std::ios::binary) << file;
}

std::wstring MakePackage(const movanta::testing::TempDir& dir, const std::string& script,
                         const std::vector<TestPicture>& pictures) {
    std::ofstream(dir.File("Skin.txt"), std::ios::binary) << script;
    CzSkinPackage package;
    package.fnAddScript(movanta::Utf8ToWide(dir.File("Skin.txt")).c_str());
    for (const TestPicture& picture : pictures) {
        WriteBmp(dir.File(picture.name), picture.width, picture.height, picture.bitCount, picture.fill);
        package.fnAddResource(movanta::Utf8ToWide(dir.File(picture.name)).c_str());
    }
    const std::wstring path = movanta::Utf8ToWide(dir.File("skin.zsp"));
    CFile file(path.c_str(), CFile::modeCreate | CFile::modeWrite);
    CArchive archive(&file, CArchive::store);
    package.Serialize(archive);
    archive.Close();
    return path;
}
