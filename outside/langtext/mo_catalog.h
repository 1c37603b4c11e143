// Reading a compiled gettext catalogue (the MO files msgfmt writes) whose
// messages carry their numeric identifier as the message context.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>

namespace movanta::langtext {

using TextTable = std::map<int, std::wstring>;

// The texts of a catalogue in either byte order: every message whose
// context is a decimal identifier and whose translation is not empty (the
// first form of a plural). The catalogue must be UTF-8. Nothing when the
// bytes are not a whole, consistent catalogue.
std::optional<TextTable> ReadMoCatalog(std::span<const std::uint8_t> bytes);

// The same for a file; nothing when it cannot be read or is larger than
// any catalogue of ours could be.
std::optional<TextTable> ReadMoFile(const std::string& path);

}  // namespace movanta::langtext
