#include "mime_defaults.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace movanta::app {
namespace {

namespace fs = std::filesystem;

constexpr std::uintmax_t kLargestList = 1024 * 1024;
constexpr const char* kSection = "[Default Applications]";

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> SplitList(const std::string& value) {
    std::vector<std::string> items;
    std::istringstream in(value);
    for (std::string item; std::getline(in, item, ';');) {
        if (!item.empty()) items.push_back(item);
    }
    return items;
}

std::string JoinList(const std::vector<std::string>& items) {
    std::string value;
    for (const std::string& item : items) value += item + ";";
    return value;
}

bool IsSectionHeader(const std::string& line) { return !line.empty() && line.front() == '['; }

// The lines of the list with the one type's entry changed.
void Apply(std::vector<std::string>& lines, const std::string& type, const std::string& id, bool enable) {
    size_t section = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == kSection) section = i;
    }
    if (section == lines.size()) {
        if (!enable) return;
        lines.push_back(kSection);
    }
    size_t end = section + 1;
    while (end < lines.size() && !IsSectionHeader(lines[end])) ++end;
    const std::string key = type + "=";
    for (size_t i = section + 1; i < end; ++i) {
        if (lines[i].compare(0, key.size(), key) != 0) continue;
        std::vector<std::string> items = SplitList(lines[i].substr(key.size()));
        std::erase(items, id);
        if (enable) items.insert(items.begin(), id);
        if (items.empty()) {
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            lines[i] = key + JoinList(items);
        }
        return;
    }
    // A blank line that ends the section stays after the new entry.
    size_t at = end;
    while (at > section + 1 && lines[at - 1].empty()) --at;
    if (enable) lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), key + id + ";");
}

}  // namespace

std::string UserMimeAppsList() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/') {
        return std::string(config) + "/mimeapps.list";
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.config/mimeapps.list";
}

bool SetMimeDefaults(const std::string& listPath, const std::vector<std::string>& types, const std::string& desktopId,
                     bool enable) {
    std::error_code error;
    std::string text;
    if (fs::exists(listPath, error)) {
        if (!fs::is_regular_file(listPath, error) || fs::file_size(listPath, error) > kLargestList) return false;
        std::ifstream in(listPath, std::ios::binary);
        if (!in) return false;
        std::ostringstream content;
        content << in.rdbuf();
        text = content.str();
    }
    std::vector<std::string> lines = SplitLines(text);
    const std::vector<std::string> before = lines;
    for (const std::string& type : types) Apply(lines, type, desktopId, enable);
    if (lines == before) return true;

    const fs::path path(listPath);
    fs::create_directories(path.parent_path(), error);
    const fs::path temporary = path.string() + ".movanta-new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        for (const std::string& line : lines) out << line << '\n';
        if (!out.flush()) {
            fs::remove(temporary, error);
            return false;
        }
    }
    fs::rename(temporary, path, error);
    if (error) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return false;
    }
    return true;
}

}  // namespace movanta::app
