// Reading and writing one string value in a call, for callers that keep
// their texts as std::wstring.
#pragma once

#include <optional>
#include <string>

#include "registry/registry.h"

namespace movanta {

// The REG_SZ or REG_EXPAND_SZ value `name` (null: the default value) of
// `subKey` under `root`; nothing when the key or value is missing or not text.
std::optional<std::wstring> ReadRegString(HKEY root, const std::wstring& subKey, LPCWSTR name);
// Writes `text` as REG_SZ, terminating zero included.
LSTATUS WriteRegString(HKEY key, LPCWSTR name, const std::wstring& text);

}  // namespace movanta
