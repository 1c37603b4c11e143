// Conversions between the wide strings of the platform API and the UTF-8 that
// the operating system and files use. Invalid input never fails: malformed
// UTF-8 sequences and lone surrogates become U+FFFD.
#pragma once

#include <string>
#include <string_view>

#include "win/wintypes.h"

namespace movanta {

std::string WideToUtf8(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view text);
// Characters beyond the Basic Multilingual Plane take two UTF-16 units.
std::u16string WideToUtf16(std::wstring_view text);
std::wstring Utf16ToWide(std::u16string_view text);

// A path from the platform API as an operating-system path: UTF-8, with the
// platform's backslash separators turned into slashes. A null path is empty.
std::string NativePath(LPCWSTR path);
std::string NativePath(LPCSTR path);

// ASCII case-insensitive comparison, as used for registry and class names.
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);

// Copies text into a caller's buffer of `capacity` characters with a
// terminating zero, truncating when it does not fit. Returns the characters
// copied, not counting the zero.
size_t CopyToBuffer(std::wstring_view text, WCHAR* buffer, size_t capacity);

}  // namespace movanta
