#include "mo_catalog.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <string_view>
#include <vector>

#include "win/text.h"

namespace movanta::langtext {
namespace {

constexpr std::uint32_t kMagic = 0x950412de;
constexpr std::uint32_t kSwappedMagic = 0xde120495;
constexpr std::size_t kHeaderSize = 28;
// Far above the few hundred texts of the program, and well below what
// would strain memory.
constexpr std::size_t kLargestFile = 16 * 1024 * 1024;
constexpr char kContextEnd = '\x04';

class Reader {
public:
    Reader(std::span<const std::uint8_t> bytes, bool swapped) : bytes_(bytes), swapped_(swapped) {}

    std::optional<std::uint32_t> Word(std::size_t offset) const {
        if (offset > bytes_.size() || bytes_.size() - offset < 4) return std::nullopt;
        const std::uint8_t* p = bytes_.data() + offset;
        if (swapped_) return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
        return std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
    }

    // String `index` of the table at `table`: its bytes without the
    // terminating NUL, which must be there.
    std::optional<std::string_view> String(std::uint32_t table, std::uint32_t index) const {
        const std::size_t entry = std::size_t(table) + std::size_t(index) * 8;
        const auto length = Word(entry);
        const auto offset = Word(entry + 4);
        if (!length || !offset) return std::nullopt;
        if (*offset > bytes_.size() || bytes_.size() - *offset <= *length) return std::nullopt;
        if (bytes_[std::size_t(*offset) + *length] != 0) return std::nullopt;
        return std::string_view(reinterpret_cast<const char*>(bytes_.data()) + *offset, *length);
    }

private:
    std::span<const std::uint8_t> bytes_;
    bool swapped_;
};

std::optional<int> Identifier(std::string_view context) {
    if (context.empty() || context.size() > 9) return std::nullopt;
    if (!std::all_of(context.begin(), context.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    int id = 0;
    for (char c : context) id = id * 10 + (c - '0');
    return id;
}

// The catalogue's header names its character set; ours are UTF-8 (plain
// ASCII is a part of it).
bool HeaderSaysUtf8(std::string_view header) {
    std::string lower(header);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    const std::size_t at = lower.find("charset=");
    if (at == std::string::npos) return true;
    const std::string_view charset = std::string_view(lower).substr(at + 8, lower.find_first_of(" ;\n", at) - at - 8);
    return charset == "utf-8" || charset == "utf8" || charset == "ascii" || charset == "us-ascii";
}

}  // namespace

std::optional<TextTable> ReadMoCatalog(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kHeaderSize) return std::nullopt;
    const auto magic = Reader(bytes, false).Word(0);
    if (magic != kMagic && magic != kSwappedMagic) return std::nullopt;
    const Reader reader(bytes, magic == kSwappedMagic);
    const std::uint32_t revision = *reader.Word(4);
    const std::uint32_t count = *reader.Word(8);
    const std::uint32_t originals = *reader.Word(12);
    const std::uint32_t translations = *reader.Word(16);
    if (revision >> 16 > 1) return std::nullopt;
    // Both tables must lie inside the file, eight bytes an entry.
    for (std::uint32_t table : {originals, translations}) {
        if (table > bytes.size() || (bytes.size() - table) / 8 < count) return std::nullopt;
    }
    TextTable texts;
    for (std::uint32_t i = 0; i < count; ++i) {
        const auto key = reader.String(originals, i);
        const auto value = reader.String(translations, i);
        if (!key || !value) return std::nullopt;
        if (key->empty()) {
            if (!HeaderSaysUtf8(*value)) return std::nullopt;
            continue;
        }
        const std::size_t end = key->find(kContextEnd);
        if (end == std::string_view::npos) continue;
        const auto id = Identifier(key->substr(0, end));
        // A plural's forms are separated by NULs; the first form serves.
        const std::string_view text = value->substr(0, value->find('\0'));
        if (id && !text.empty()) texts[*id] = Utf8ToWide(text);
    }
    return texts;
}

std::optional<TextTable> ReadMoFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) return std::nullopt;
    const std::streamoff size = file.tellg();
    if (size < 0 || std::size_t(size) > kLargestFile) return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    file.seekg(0);
    if (!file.read(reinterpret_cast<char*>(bytes.data()), size)) return std::nullopt;
    return ReadMoCatalog(bytes);
}

}  // namespace movanta::langtext
