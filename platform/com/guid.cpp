#include "com/guid.h"

#include <cstdio>
#include <cstring>
#include <tuple>

#include "win/text.h"

bool operator<(const GUID& a, const GUID& b) {
    return std::tie(a.Data1, a.Data2, a.Data3) < std::tie(b.Data1, b.Data2, b.Data3) ||
           (std::tie(a.Data1, a.Data2, a.Data3) == std::tie(b.Data1, b.Data2, b.Data3) &&
            std::memcmp(a.Data4, b.Data4, sizeof a.Data4) < 0);
}

namespace movanta {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads `digits` hex digits at text[pos].
std::optional<std::uint32_t> ReadHex(std::string_view text, size_t pos, int digits) {
    std::uint32_t value = 0;
    for (int i = 0; i < digits; ++i) {
        const int digit = HexValue(text[pos + static_cast<size_t>(i)]);
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

}  // namespace

std::string GuidToString(REFGUID g) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2, g.Data3,
                  g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

std::optional<GUID> GuidFromString(std::string_view text) {
    if (text.size() != 38 || text.front() != '{' || text.back() != '}' || text[9] != '-' || text[14] != '-' ||
        text[19] != '-' || text[24] != '-') {
        return std::nullopt;
    }
    GUID guid {};
    const auto d1 = ReadHex(text, 1, 8);
    const auto d2 = ReadHex(text, 10, 4);
    const auto d3 = ReadHex(text, 15, 4);
    if (!d1 || !d2 || !d3) return std::nullopt;
    guid.Data1 = *d1;
    guid.Data2 = static_cast<std::uint16_t>(*d2);
    guid.Data3 = static_cast<std::uint16_t>(*d3);
    static constexpr size_t kByteAt[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i) {
        const auto byte = ReadHex(text, kByteAt[i], 2);
        if (!byte) return std::nullopt;
        guid.Data4[i] = static_cast<std::uint8_t>(*byte);
    }
    return guid;
}

}  // namespace movanta

int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int capacity) {
    const std::wstring text = movanta::Utf8ToWide(movanta::GuidToString(guid));
    if (buffer == nullptr || capacity <= static_cast<int>(text.size())) return 0;
    movanta::CopyToBuffer(text, buffer, static_cast<size_t>(capacity));
    return static_cast<int>(text.size()) + 1;
}

HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid) {
    if (clsid == nullptr) return E_INVALIDARG;
    const auto parsed = text == nullptr ? std::nullopt : movanta::GuidFromString(movanta::WideToUtf8(text));
    if (!parsed) return CO_E_CLASSSTRING;
    *clsid = *parsed;
    return NOERROR;
}
