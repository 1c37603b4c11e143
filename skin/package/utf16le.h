// Text as the skin package stores it: UTF-16 in little-endian bytes.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "win/wintypes.h"

namespace skin {

// Every whole unit of the bytes (an odd last byte is left out).
inline std::u16string Utf16LeUnits(const BYTE* data, size_t size) {
    std::u16string units;
    units.reserve(size / 2);
    for (size_t i = 0; data != nullptr && i + 1 < size; i += 2)
        units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    return units;
}

// The units up to the first NUL, as text readers see a stored script.
inline std::u16string Utf16LeText(const BYTE* data, size_t size) {
    std::u16string units = Utf16LeUnits(data, size);
    units.resize(std::min(units.size(), units.find(u'\0')));
    return units;
}

inline std::vector<BYTE> Utf16LeBytes(std::u16string_view units) {
    std::vector<BYTE> bytes;
    bytes.reserve(units.size() * 2);
    for (const char16_t unit : units) {
        bytes.push_back(static_cast<BYTE>(unit & 0xFF));
        bytes.push_back(static_cast<BYTE>(unit >> 8));
    }
    return bytes;
}

}  // namespace skin
