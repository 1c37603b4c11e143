#include "locale_language.h"

#include <cctype>
#include <cstdlib>

namespace movanta::langtext {
namespace {

bool IsLanguageName(const std::string& name) {
    if (name.empty() || name.size() > 16) return false;
    for (char c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    }
    return true;
}

}  // namespace

std::vector<std::string> LocaleLanguages() {
    const char* value = nullptr;
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        value = std::getenv(variable);
        if (value != nullptr && *value != '\0') break;
    }
    if (value == nullptr || *value == '\0') return {};
    std::string locale(value);
    locale = locale.substr(0, locale.find_first_of(".@"));
    if (locale == "C" || locale == "POSIX" || !IsLanguageName(locale)) return {};
    std::string language = locale.substr(0, locale.find('_'));
    for (char& c : language) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::vector<std::string> languages;
    if (locale.size() > language.size()) languages.push_back(language + locale.substr(language.size()));
    languages.push_back(language);
    return languages;
}

}  // namespace movanta::langtext
