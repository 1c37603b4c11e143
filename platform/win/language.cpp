#include "win/language.h"

#include <cstdlib>
#include <string>

namespace {

struct Language {
    const char* name;  // language, or language_territory
    LANGID id;
};

// Territory entries come first so that they win over the bare language.
constexpr Language kLanguages[] = {
    {"zh_TW", 0x0404}, {"zh_HK", 0x0C04}, {"pt_PT", 0x0816}, {"en_GB", 0x0809}, {"es_MX", 0x080A}, {"ar", 0x0401},
    {"cs", 0x0405},    {"da", 0x0406},    {"de", 0x0407},    {"el", 0x0408},    {"en", 0x0409},    {"es", 0x0C0A},
    {"fi", 0x040B},    {"fr", 0x040C},    {"he", 0x040D},    {"hu", 0x040E},    {"it", 0x0410},    {"ja", 0x0411},
    {"ko", 0x0412},    {"nl", 0x0413},    {"nb", 0x0414},    {"pl", 0x0415},    {"pt", 0x0416},    {"ru", 0x0419},
    {"sv", 0x041D},    {"th", 0x041E},    {"tr", 0x041F},    {"zh", 0x0804},
};

}  // namespace

LANGID GetSystemDefaultLangID() {
    const char* value = nullptr;
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        value = std::getenv(variable);
        if (value != nullptr && *value != 0) break;
    }
    if (value == nullptr) return 0x0409;
    const std::string locale(value);
    for (const Language& language : kLanguages) {
        const std::string name(language.name);
        if (locale.compare(0, name.size(), name) == 0 && (locale.size() == name.size() || locale[name.size()] == '_' ||
                                                          locale[name.size()] == '.' || locale[name.size()] == '@'))
            return language.id;
    }
    return 0x0409;
}
