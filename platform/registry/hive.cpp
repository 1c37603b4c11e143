#include "registry/hive.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "registry/registry.h"

namespace movanta::registry {
namespace {

constexpr std::string_view kHeader = "MOVANTA-REGISTRY 1";
constexpr std::string_view kTrailer = "END";
constexpr size_t kMaxNameLength = 255;
constexpr char kHex[] = "0123456789abcdef";

// Name limits count characters, not UTF-8 bytes.
size_t CharacterCount(std::string_view text) {
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

template <class Items, class NameOf>
auto FindByName(Items& items, std::string_view name, NameOf nameOf) {
    return std::find_if(items.begin(), items.end(), [&](const auto& item) { return NamesEqual(nameOf(item), name); });
}

// Key path components escape '%', '[', ']', '\' and control characters as %XX.
void AppendKeyComponent(std::string& out, std::string_view name) {
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F || c == '%' || c == '[' || c == ']' || c == '\\') {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 15]);
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
}

void AppendQuoted(std::string& out, std::string_view text) {
    out.push_back('"');
    for (unsigned char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    out += "\\x";
                    out.push_back(kHex[c >> 4]);
                    out.push_back(kHex[c & 15]);
                } else {
                    out.push_back(static_cast<char>(c));
                }
        }
    }
    out.push_back('"');
}

void AppendHex(std::string& out, const std::vector<BYTE>& data) {
    for (BYTE b : data) {
        out.push_back(kHex[b >> 4]);
        out.push_back(kHex[b & 15]);
    }
}

void SerializeKey(std::string& out, const Key& key, std::string& path) {
    out += '[';
    out += path;
    out += "]\n";
    for (const Value& value : key.values) {
        if (value.name.empty()) {
            out += '@';
        } else {
            AppendQuoted(out, value.name);
        }
        out += '=';
        const std::string_view text(reinterpret_cast<const char*>(value.data.data()), value.data.size());
        if (value.type == REG_SZ || value.type == REG_EXPAND_SZ) {
            out += value.type == REG_SZ ? "sz:" : "expand:";
            AppendQuoted(out, text);
        } else if (value.type == REG_BINARY) {
            out += "bin:";
            AppendHex(out, value.data);
        } else {
            char prefix[24];
            std::snprintf(prefix, sizeof prefix, "hex(%u):", static_cast<unsigned>(value.type));
            out += prefix;
            AppendHex(out, value.data);
        }
        out += '\n';
    }
    for (const auto& child : key.subkeys) {
        const size_t mark = path.size();
        if (!path.empty()) path += '\\';
        AppendKeyComponent(path, child->name);
        SerializeKey(out, *child, path);
        path.resize(mark);
    }
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A cursor over one line of the text form.
class LineReader {
public:
    explicit LineReader(std::string_view line) : line_(line) {}
    bool AtEnd() const { return pos_ >= line_.size(); }
    bool Take(char c) {
        if (pos_ < line_.size() && line_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    bool TakeWord(std::string_view word) {
        if (line_.substr(pos_, word.size()) != word) return false;
        pos_ += word.size();
        return true;
    }
    std::optional<std::string> Quoted() {
        if (!Take('"')) return std::nullopt;
        std::string out;
        while (pos_ < line_.size()) {
            const char c = line_[pos_++];
            if (c == '"') return out;
            if (c != '\\') {
                out.push_back(c);
                continue;
            }
            if (pos_ >= line_.size()) return std::nullopt;
            const char e = line_[pos_++];
            switch (e) {
                case '"': out.push_back('"'); break;
                case '\\': out.push_back('\\'); break;
                case 'n': out.push_back('\n'); break;
                case 'r': out.push_back('\r'); break;
                case 't': out.push_back('\t'); break;
                case 'x': {
                    if (pos_ + 2 > line_.size()) return std::nullopt;
                    const int hi = HexDigit(line_[pos_]), lo = HexDigit(line_[pos_ + 1]);
                    if (hi < 0 || lo < 0) return std::nullopt;
                    out.push_back(static_cast<char>(hi * 16 + lo));
                    pos_ += 2;
                    break;
                }
                default: return std::nullopt;
            }
        }
        return std::nullopt;
    }
    std::optional<std::vector<BYTE>> HexToEnd() {
        const std::string_view rest = line_.substr(pos_);
        if (rest.size() % 2 != 0) return std::nullopt;
        std::vector<BYTE> out;
        out.reserve(rest.size() / 2);
        for (size_t i = 0; i < rest.size(); i += 2) {
            const int hi = HexDigit(rest[i]), lo = HexDigit(rest[i + 1]);
            if (hi < 0 || lo < 0) return std::nullopt;
            out.push_back(static_cast<BYTE>(hi * 16 + lo));
        }
        pos_ = line_.size();
        return out;
    }
    std::optional<DWORD> Number() {
        DWORD value = 0;
        const auto [end, ec] = std::from_chars(line_.data() + pos_, line_.data() + line_.size(), value);
        if (ec != std::errc()) return std::nullopt;
        pos_ = static_cast<size_t>(end - line_.data());
        return value;
    }

private:
    std::string_view line_;
    size_t pos_ = 0;
};

std::optional<KeyPath> ParseKeyLine(std::string_view inside) {
    KeyPath path;
    std::string component;
    for (size_t i = 0; i <= inside.size(); ++i) {
        if (i == inside.size() || inside[i] == '\\') {
            if (component.empty() || CharacterCount(component) > kMaxNameLength) {
                if (i == inside.size() && path.empty() && component.empty()) return path;  // the root
                return std::nullopt;
            }
            path.push_back(std::move(component));
            component.clear();
        } else if (inside[i] == '%') {
            if (i + 2 >= inside.size()) return std::nullopt;
            const int hi = HexDigit(inside[i + 1]), lo = HexDigit(inside[i + 2]);
            if (hi < 0 || lo < 0) return std::nullopt;
            component.push_back(static_cast<char>(hi * 16 + lo));
            i += 2;
        } else if (inside[i] == '[' || inside[i] == ']') {
            return std::nullopt;
        } else {
            component.push_back(inside[i]);
        }
    }
    return path;
}

// Parses `name=type:data` into the key; returns a reason on failure.
const char* ParseValueLine(std::string_view line, Key& key) {
    LineReader reader(line);
    std::string name;
    if (!reader.Take('@')) {
        auto quoted = reader.Quoted();
        if (!quoted || quoted->empty()) return "bad value name";
        name = std::move(*quoted);
    }
    if (!reader.Take('=')) return "expected '=' after the value name";
    DWORD type = 0;
    std::vector<BYTE> data;
    const bool plain = reader.TakeWord("sz:");
    if (plain || reader.TakeWord("expand:")) {
        type = plain ? REG_SZ : REG_EXPAND_SZ;
        auto text = reader.Quoted();
        if (!text || !reader.AtEnd()) return "bad string data";
        data.assign(text->begin(), text->end());
    } else {
        if (reader.TakeWord("bin:")) {
            type = REG_BINARY;
        } else if (reader.TakeWord("hex(")) {
            auto number = reader.Number();
            if (!number || !reader.Take(')') || !reader.Take(':')) return "bad value type";
            type = *number;
        } else {
            return "unknown value type";
        }
        auto bytes = reader.HexToEnd();
        if (!bytes) return "bad hexadecimal data";
        data = std::move(*bytes);
    }
    if (key.FindValue(name) != nullptr) return "duplicate value name";
    key.values.push_back({std::move(name), type, std::move(data)});
    return nullptr;
}

}  // namespace

bool NamesEqual(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

Key* Key::FindSubkey(std::string_view childName) const {
    auto it =
        std::find_if(subkeys.begin(), subkeys.end(), [&](const auto& k) { return NamesEqual(k->name, childName); });
    return it == subkeys.end() ? nullptr : it->get();
}

Key& Key::SubkeyOrNew(std::string_view childName, bool* created) {
    if (Key* existing = FindSubkey(childName)) {
        if (created != nullptr) *created = false;
        return *existing;
    }
    subkeys.push_back(std::make_unique<Key>());
    subkeys.back()->name = childName;
    if (created != nullptr) *created = true;
    return *subkeys.back();
}

bool Key::RemoveSubkey(std::string_view childName) {
    auto it = FindByName(subkeys, childName, [](const auto& k) -> const std::string& { return k->name; });
    if (it == subkeys.end()) return false;
    subkeys.erase(it);
    return true;
}

Value* Key::FindValue(std::string_view valueName) {
    auto it = FindByName(values, valueName, [](const Value& v) -> const std::string& { return v.name; });
    return it == values.end() ? nullptr : &*it;
}

bool Key::RemoveValue(std::string_view valueName) {
    auto it = FindByName(values, valueName, [](const Value& v) -> const std::string& { return v.name; });
    if (it == values.end()) return false;
    values.erase(it);
    return true;
}

bool Key::PutValue(std::string_view valueName, DWORD type, std::vector<BYTE> data) {
    if (Value* existing = FindValue(valueName)) {
        if (existing->type == type && existing->data == data) return false;
        existing->type = type;
        existing->data = std::move(data);
        return true;
    }
    values.push_back({std::string(valueName), type, std::move(data)});
    return true;
}

std::optional<KeyPath> SplitKeyPath(std::string_view path) {
    KeyPath out;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start) {
            if (CharacterCount(path.substr(start, end - start)) > kMaxNameLength) return std::nullopt;
            out.emplace_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return out;
}

Key* Find(const Key& root, const KeyPath& path) {
    const Key* key = &root;
    for (const std::string& component : path) {
        key = key->FindSubkey(component);
        if (key == nullptr) return nullptr;
    }
    return const_cast<Key*>(key);
}

std::string Serialize(const Key& root) {
    std::string out(kHeader);
    out += '\n';
    std::string path;
    SerializeKey(out, root, path);
    out += kTrailer;
    out += '\n';
    return out;
}

std::unique_ptr<Key> Parse(std::string_view text, ParseError& error) {
    auto root = std::make_unique<Key>();
    Key* current = nullptr;
    int lineNumber = 0;
    bool ended = false;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        auto fail = [&](const char* reason) {
            error = {lineNumber, reason};
            return nullptr;
        };
        if (lineNumber == 1) {
            if (line != kHeader) return fail("not a registry hive (bad first line)");
            continue;
        }
        if (ended) return fail("text after the end marker");
        if (line.empty() || line[0] == '#') continue;
        if (line == kTrailer) {
            ended = true;
        } else if (line.front() == '[') {
            if (line.back() != ']') return fail("unterminated key line");
            auto path = ParseKeyLine(line.substr(1, line.size() - 2));
            if (!path) return fail("bad key path");
            current = root.get();
            for (const std::string& component : *path) current = &current->SubkeyOrNew(component, nullptr);
        } else {
            if (current == nullptr) return fail("value outside a key");
            if (const char* reason = ParseValueLine(line, *current)) return fail(reason);
        }
    }
    if (lineNumber == 0) {
        error = {1, "empty file"};
        return nullptr;
    }
    if (!ended) {
        error = {lineNumber, "missing end marker (file cut short)"};
        return nullptr;
    }
    return root;
}

}  // namespace movanta::registry
