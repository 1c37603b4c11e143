// One registry hive in memory, and its text form on disk.
//
// Names are kept as written and compared without regard to ASCII case. String
// values (REG_SZ, REG_EXPAND_SZ) hold UTF-8 text without a terminating zero;
// every other type holds its bytes as given.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "win/wintypes.h"

namespace movanta::registry {

struct Value {
    std::string name;
    DWORD type = 0;
    std::vector<BYTE> data;
};

struct Key {
    std::string name;
    std::vector<Value> values;
    std::vector<std::unique_ptr<Key>> subkeys;

    Key* FindSubkey(std::string_view childName) const;
    Key& SubkeyOrNew(std::string_view childName, bool* created);
    bool RemoveSubkey(std::string_view childName);
    Value* FindValue(std::string_view valueName);
    bool RemoveValue(std::string_view valueName);
    // Replaces or adds a value; false when it was there with the same type
    // and data (nothing changed).
    bool PutValue(std::string_view valueName, DWORD type, std::vector<BYTE> data);
};

bool NamesEqual(std::string_view a, std::string_view b);

// Key path components below the root, as parsed from a platform path.
using KeyPath = std::vector<std::string>;

// Splits "A\B\\C" into {"A","B","C"}; empty components are skipped. Returns
// nothing when a component is longer than the platform's 255-character limit.
std::optional<KeyPath> SplitKeyPath(std::string_view path);

Key* Find(const Key& root, const KeyPath& path);

std::string Serialize(const Key& root);

struct ParseError {
    int line;
    std::string reason;
};
// Parses the text form; on failure fills `error` and returns null.
std::unique_ptr<Key> Parse(std::string_view text, ParseError& error);

}  // namespace movanta::registry
