#include "langtext.h"

#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

#include "locale_language.h"
#include "mo_catalog.h"
#include "win/debug.h"
#include "win/text.h"

namespace {

using movanta::langtext::TextTable;

constexpr const char* kCatalogue = "/LC_MESSAGES/movanta.mo";

// The loaded tables. Tables are only ever added, so a text handed out stays
// where it is for the life of the process, even across a second start.
struct Catalogues {
    std::mutex lock;
    std::deque<std::unique_ptr<const TextTable>> loaded;
    const TextTable* english = nullptr;   // guarded by lock
    const TextTable* language = nullptr;  // guarded by lock
};

Catalogues& Shared() {
    static Catalogues catalogues;
    return catalogues;
}

const TextTable* Load(Catalogues& catalogues, const std::string& path) {
    auto table = movanta::langtext::ReadMoFile(path);
    if (!table) {
        OutputDebugStringA(("langtext: cannot use " + path + ", missing or damaged\n").c_str());
        return nullptr;
    }
    catalogues.loaded.push_back(std::make_unique<const TextTable>(std::move(*table)));
    return catalogues.loaded.back().get();
}

LPCWSTR Find(const TextTable* table, int id) {
    if (table == nullptr) return nullptr;
    const auto text = table->find(id);
    return text == table->end() ? nullptr : text->second.c_str();
}

}  // namespace

extern "C" __attribute__((visibility("default"))) BOOL orkInitMLTran(LPCWSTR folder, int) {
    const std::string root = movanta::NativePath(folder);
    Catalogues& catalogues = Shared();
    const std::lock_guard<std::mutex> hold(catalogues.lock);
    catalogues.english = Load(catalogues, root + "/en" + kCatalogue);
    catalogues.language = nullptr;
    for (const std::string& language : movanta::langtext::LocaleLanguages()) {
        if (language == "en") break;
        // No catalogue for a language is no fault: English serves it.
        const std::string path = root + "/" + language + kCatalogue;
        if (!std::filesystem::exists(path)) continue;
        catalogues.language = Load(catalogues, path);
        break;
    }
    return catalogues.english != nullptr ? TRUE : FALSE;
}

extern "C" __attribute__((visibility("default"))) LPCWSTR orkMLGetString(int id) {
    Catalogues& catalogues = Shared();
    const std::lock_guard<std::mutex> hold(catalogues.lock);
    if (LPCWSTR text = Find(catalogues.language, id)) return text;
    return Find(catalogues.english, id);
}
