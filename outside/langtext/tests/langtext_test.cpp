// The texts as the application gets them: by identifier, in the locale's
// language, English behind every gap, and never a crash on a bad catalogue.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "langtext/langtext.h"
#include "langtext/mo_catalog.h"
#include "testing/testing.h"
#include "win/text.h"

namespace {

namespace fs = std::filesystem;

// Every text the application and its dialogs ask for.
std::vector<int> ApplicationIds() {
    std::vector<int> ids;
    for (int id = 2; id <= 38; ++id) ids.push_back(id);
    for (int id = 101; id <= 105; ++id) ids.push_back(id);
    ids.push_back(200);
    for (int id = 1001; id <= 1011; ++id) ids.push_back(id);
    return ids;
}

void UseLocale(const char* lcAll, const char* lang) {
    unsetenv("LC_MESSAGES");
    if (lcAll != nullptr) setenv("LC_ALL", lcAll, 1); else unsetenv("LC_ALL");
    if (lang != nullptr) setenv("LANG", lang, 1); else unsetenv("LANG");
}

std::wstring Text(int id) {
    LPCWSTR text = orkMLGetString(id);
    return text != nullptr ? std::wstring(text) : std::wstring();
}

int Directives(const std::wstring& text) {
    int count = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == L'%') {
            if (text[i + 1] != L'%') ++count;
            ++i;
        }
    }
    return count;
}

// A copy of the shipped folder that a test may spoil.
struct Folder {
    movanta::testing::TempDir dir;
    Folder() { fs::copy(LOCALIZATION_DIR, dir.Path(), fs::copy_options::recursive); }
    std::string Catalogue(const std::string& language) const {
        return dir.Path() + "/" + language + "/LC_MESSAGES/movanta.mo";
    }
    BOOL Init() const { return orkInitMLTran(movanta::Utf8ToWide(dir.Path()).c_str(), 0); }
};

class LangText : public ::testing::Test {
protected:
    void TearDown() override { UseLocale(nullptr, "C.UTF-8"); }
};

TEST_F(LangText, EveryLanguageHasEveryTextWithTheSameDirectivesAndItsHelpPage) {
    const auto english = movanta::langtext::ReadMoFile(std::string(LOCALIZATION_DIR) + "/en/LC_MESSAGES/movanta.mo");
    ASSERT_TRUE(english);
    for (const char* language : {"en", "de", "fr"}) {
        SCOPED_TRACE(language);
        const auto texts =
            movanta::langtext::ReadMoFile(std::string(LOCALIZATION_DIR) + "/" + language + "/LC_MESSAGES/movanta.mo");
        ASSERT_TRUE(texts);
        for (int id : ApplicationIds()) {
            ASSERT_TRUE(texts->contains(id)) << "no text " << id;
            EXPECT_EQ(Directives(texts->at(id)), Directives(english->at(id))) << "text " << id;
        }
        const std::string help = movanta::WideToUtf8(texts->at(200));
        EXPECT_TRUE(fs::is_regular_file(std::string(LOCALIZATION_DIR) + "/" + help)) << "no help page " << help;
    }
}

TEST_F(LangText, TheLocaleChoosesTheLanguage) {
    const Folder folder;
    UseLocale(nullptr, "de_DE.UTF-8");
    folder.Init();
    EXPECT_EQ(Text(17), L"Abbrechen");
    EXPECT_EQ(Text(2), L"Schließen\nMovanta schließen");

    UseLocale("fr_CA.UTF-8", "de_DE.UTF-8");  // LC_ALL wins, the bare language serves a territory
    folder.Init();
    EXPECT_EQ(Text(17), L"Annuler");

    setenv("LC_MESSAGES", "de_AT", 1);  // LC_MESSAGES comes before LANG
    unsetenv("LC_ALL");
    folder.Init();
    EXPECT_EQ(Text(17), L"Abbrechen");

    // The application names the folder the platform's way: "AppPath\Localization".
    const fs::path copy(folder.dir.Path());
    UseLocale(nullptr, "fr_FR.UTF-8");
    ASSERT_TRUE(orkInitMLTran(movanta::Utf8ToWide(copy.parent_path().string() + "\\" + copy.filename().string()).c_str(), 0));
    EXPECT_EQ(Text(17), L"Annuler");

    for (const char* other : {"ja_JP.UTF-8", "C", "POSIX", "../../etc", ""}) {
        UseLocale(nullptr, other);
        folder.Init();
        EXPECT_EQ(Text(17), L"Cancel") << other;
    }
    EXPECT_EQ(orkMLGetString(99999), nullptr);
}

TEST_F(LangText, ADamagedOrMissingCatalogueGivesEnglish) {
    const Folder folder;
    UseLocale(nullptr, "de_DE.UTF-8");
    {
        std::fstream file(folder.Catalogue("de"), std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(12);  // the offset of the message table
        file.write("\xff\xff\xff\x7f", 4);
    }
    EXPECT_TRUE(folder.Init());
    EXPECT_EQ(Text(17), L"Cancel");

    fs::resize_file(folder.Catalogue("de"), 20);
    folder.Init();
    EXPECT_EQ(Text(17), L"Cancel");

    fs::remove(folder.Catalogue("de"));
    folder.Init();
    EXPECT_EQ(Text(17), L"Cancel");

    fs::remove(folder.Catalogue("en"));
    EXPECT_FALSE(folder.Init());
    EXPECT_EQ(orkMLGetString(17), nullptr);
}

TEST_F(LangText, AGapInATranslationIsFilledWithEnglish) {
    const Folder folder;
    const std::string po = folder.dir.File("partial.po");
    std::ofstream(po) << "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
                         "msgctxt \"16\"\nmsgid \"OK\"\nmsgstr \"Gut\"\n\n"
                         "msgctxt \"17\"\nmsgid \"Cancel\"\nmsgstr \"\"\n";
    ASSERT_EQ(movanta::testing::Run({MSGFMT, "-o", folder.Catalogue("de"), po}), 0);
    UseLocale(nullptr, "de_DE.UTF-8");
    folder.Init();
    EXPECT_EQ(Text(16), L"Gut");
    EXPECT_EQ(Text(17), L"Cancel");
}

TEST_F(LangText, TextsHandedOutStayValidAcrossASecondStart) {
    const Folder folder;
    UseLocale(nullptr, "fr_FR.UTF-8");
    folder.Init();
    LPCWSTR first = orkMLGetString(1011);
    ASSERT_NE(first, nullptr);
    const std::wstring copy = first;
    UseLocale(nullptr, "de_DE.UTF-8");
    folder.Init();
    EXPECT_EQ(std::wstring(first), copy);
    EXPECT_NE(Text(1011), copy);
}

}  // namespace
