// The application's registry access, its settings and the file
// associations, against a private registry and a private desktop list.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app_settings.h"
#include "file_associations.h"
#include "mime_defaults.h"
#include "phone_profiles.h"
#include "registry_key.h"
#include "testing/testing.h"

namespace {

using movanta::app::AppSettings;
using movanta::app::kProgramKey;
using movanta::app::LoadSettings;
using movanta::app::SaveSettings;

std::string Read(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A registry and a desktop configuration of the test's own, with the
// machine key an installation writes.
class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", config_.Path().c_str(), 1);
        CRegistryKey machine;
        machine.SetRootKey(HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(machine.OpenKey(kProgramKey, TRUE));
        ASSERT_EQ(machine.WriteString(L"AppPath", L"/opt/movanta/lib/movanta"), 0);
    }
    static CRegistryKey User() {
        CRegistryKey user;
        user.OpenKey(kProgramKey, TRUE);
        return user;
    }
    static DWORD TypeOf(HKEY root, LPCWSTR key, LPCWSTR name) {
        HKEY opened = nullptr;
        DWORD type = REG_NONE;
        if (RegOpenKeyExW(root, key, 0, KEY_READ, &opened) == ERROR_SUCCESS) {
            RegQueryValueExW(opened, name, nullptr, &type, nullptr, nullptr);
            RegCloseKey(opened);
        }
        return type;
    }
    static CString StringOf(HKEY root, LPCWSTR key, LPCWSTR name) {
        CRegistryKey reader;
        reader.SetRootKey(root);
        CString text;
        if (reader.OpenKey(key, FALSE)) reader.ReadString(name, text);
        return text;
    }

    movanta::testing::ScopedRegistry registry_;
    movanta::testing::TempDir config_;
};

TEST_F(Settings, ARegistryKeyAnswersAsTheApplicationExpects) {
    CRegistryKey key;
    EXPECT_EQ(key.GetRootKey(), HKEY_CURRENT_USER);
    EXPECT_FALSE(key.SetRootKey(reinterpret_cast<HKEY>(ULONG_PTR {0x80000004})));
    EXPECT_EQ(key.GetRootKey(), HKEY_CURRENT_USER);
    EXPECT_FALSE(key.OpenKey(L"Software\\Nowhere", FALSE));
    EXPECT_TRUE(key.OpenKey(L"Software\\Test", TRUE));
    EXPECT_TRUE(key.OpenKey(L"", FALSE)) << "an empty path clears the sub-key";
    EXPECT_TRUE(key.GetSubKey().IsEmpty());
    ASSERT_TRUE(key.OpenKey(L"Software\\Test", FALSE));

    DWORD number = 77;
    EXPECT_EQ(key.ReadNumber(L"Missing", number), 1);
    EXPECT_EQ(number, 77u) << "untouched on failure";
    EXPECT_EQ(key.WriteNumber(L"Count", 5), 0);
    EXPECT_EQ(TypeOf(HKEY_CURRENT_USER, L"Software\\Test", L"Count"), REG_BINARY);
    EXPECT_EQ(key.ReadNumber(L"Count", number), 0);
    EXPECT_EQ(number, 5u);

    CString text = L"kept";
    EXPECT_EQ(key.ReadString(L"Count", text), 1) << "a number is no text";
    EXPECT_EQ(text, L"kept");
    EXPECT_EQ(key.WriteString(L"Name", L"clip"), 0);
    EXPECT_EQ(key.ReadString(L"Name", text), 0);
    EXPECT_EQ(text, L"clip");
    EXPECT_EQ(key.WriteString(L"Long", std::wstring(512, L'x').c_str()), 1);
    EXPECT_EQ(key.WriteString(L"Long", std::wstring(511, L'x').c_str()), 0);
    // Long paths are read whole: an installation folder may be deep.
    HKEY raw = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Test", 0, KEY_ALL_ACCESS, &raw), ERROR_SUCCESS);
    const std::wstring deep = L"/home/someone/" + std::wstring(300, L'd');
    RegSetValueExW(raw, L"Deep", 0, REG_SZ, reinterpret_cast<const BYTE*>(deep.c_str()),
                   static_cast<DWORD>((deep.size() + 1) * sizeof(WCHAR)));
    const DWORD dword = 9;
    RegSetValueExW(raw, L"Word", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dword), sizeof dword);
    RegCloseKey(raw);
    EXPECT_EQ(key.ReadString(L"Deep", text), 0);
    EXPECT_EQ(std::wstring(text.Wide()), deep);
    EXPECT_EQ(key.ReadNumber(L"Word", number), 0) << "a REG_DWORD is read as well";
    EXPECT_EQ(number, 9u);
    EXPECT_EQ(key.DeleteValue(L"Word"), 0);
    EXPECT_EQ(key.DeleteValue(L"Word"), 1);
}

TEST_F(Settings, AFirstStartWritesEveryDefault) {
    const AppSettings settings = LoadSettings();
    EXPECT_EQ(settings.videoQuality, 1u);
    EXPECT_EQ(settings.audioQuality, 1u);
    EXPECT_EQ(settings.phone, 0u);
    EXPECT_TRUE(settings.soundOn);
    EXPECT_EQ(settings.volume, 40u);
    EXPECT_FALSE(settings.associate);
    EXPECT_EQ(settings.fileFilter, movanta::app::kDefaultFileFilter);
    CRegistryKey user = User();
    for (const auto& [name, expected] : {std::pair {L"VideoQty", 1u}, {L"AudioQty", 1u}, {L"MobilePhone", 0u},
                                         {L"VolumeOn", 1u}, {L"VolumeValue", 40u}}) {
        DWORD value = 99;
        EXPECT_EQ(user.ReadNumber(name, value), 0);
        EXPECT_EQ(value, expected);
        EXPECT_EQ(TypeOf(HKEY_CURRENT_USER, kProgramKey, name), REG_BINARY);
    }
    EXPECT_EQ(TypeOf(HKEY_LOCAL_MACHINE, kProgramKey, L"ShellInted"), REG_BINARY);

    // A deleted user key comes back with its defaults.
    ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, kProgramKey), ERROR_SUCCESS);
    LoadSettings();
    DWORD volume = 0;
    EXPECT_EQ(User().ReadNumber(L"VolumeValue", volume), 0);
    EXPECT_EQ(volume, 40u);
}

TEST_F(Settings, ValuesOutOfTheirRangesAreReadAsSafeOnesAndNotWrittenBack) {
    CRegistryKey user = User();
    user.WriteNumber(L"MobilePhone", 7);
    user.WriteNumber(L"VideoQty", 3);
    user.WriteNumber(L"AudioQty", 0xFFFFFFFF);
    user.WriteNumber(L"VolumeValue", 250);
    AppSettings settings = LoadSettings();
    EXPECT_EQ(settings.phone, 0u);
    EXPECT_EQ(settings.videoQuality, 1u);
    EXPECT_EQ(settings.audioQuality, 1u);
    EXPECT_EQ(settings.volume, 100u);
    DWORD phone = 0;
    user.ReadNumber(L"MobilePhone", phone);
    EXPECT_EQ(phone, 7u) << "not written back";

    user.WriteNumber(L"MobilePhone", 0xFFFFFFFF);  // a negative number
    EXPECT_EQ(LoadSettings().phone, 0u);
    user.WriteNumber(L"MobilePhone", 3);
    EXPECT_EQ(LoadSettings().phone, 3u);

    CRegistryKey machine;
    machine.SetRootKey(HKEY_LOCAL_MACHINE);
    machine.OpenKey(kProgramKey, FALSE);
    machine.WriteString(L"FileFilter", L"*.avi; *.mkv");
    machine.WriteNumber(L"ShellInted", 5);
    settings = LoadSettings();
    EXPECT_EQ(settings.fileFilter, L"*.avi; *.mkv");
    EXPECT_TRUE(settings.associate);
}

TEST_F(Settings, SavingWritesTheChoicesAndAppliesTheAssociations) {
    AppSettings settings;
    settings.videoQuality = 2;
    settings.audioQuality = 0;
    settings.phone = 4;
    settings.soundOn = false;
    settings.volume = 73;
    settings.associate = true;
    SaveSettings(settings);
    const AppSettings read = LoadSettings();
    EXPECT_EQ(read.videoQuality, 2u);
    EXPECT_EQ(read.audioQuality, 0u);
    EXPECT_EQ(read.phone, 4u);
    EXPECT_FALSE(read.soundOn);
    EXPECT_EQ(read.volume, 73u);
    EXPECT_TRUE(read.associate);
    EXPECT_EQ(StringOf(HKEY_CLASSES_ROOT, L".3gp", nullptr), L"Movanta.3GP");
    EXPECT_NE(Read(config_.File("mimeapps.list")).find("video/3gpp=movanta.desktop;"), std::string::npos);

    // Without the machine's key nothing is associated.
    ASSERT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, kProgramKey), ERROR_SUCCESS);
    settings.associate = false;
    SaveSettings(settings);
    EXPECT_EQ(StringOf(HKEY_CLASSES_ROOT, L".3gp", nullptr), L"Movanta.3GP");
}

TEST_F(Settings, AssociationsKeepWhatTheyReplaceAndLeaveOthersAlone) {
    // Another program owns .3gp; the shell has a choice recorded for .mp4.
    CRegistryKey classes;
    classes.SetRootKey(HKEY_CLASSES_ROOT);
    classes.OpenKey(L".3gp", TRUE);
    classes.WriteString(nullptr, L"Player.3gp");
    CRegistryKey choice;
    choice.OpenKey(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.mp4", TRUE);
    choice.WriteString(L"ProgID", L"Player.mp4");
    const std::string list = config_.File("mimeapps.list");
    std::ofstream(list) << "# the user's own\n[Default Applications]\nvideo/3gpp=vlc.desktop;mpv.desktop;\n"
                           "text/plain=gedit.desktop;\n\n[Added Associations]\nvideo/mp4=totem.desktop;\n";

    movanta::app::ApplyFileAssociations(true);
    EXPECT_EQ(StringOf(HKEY_CLASSES_ROOT, L".3gp", nullptr), L"Movanta.3GP");
    EXPECT_EQ(StringOf(HKEY_CLASSES_ROOT, L".3gp", L"Movanta.BAK"), L"Player.3gp");
    EXPECT_EQ(StringOf(HKEY_CLASSES_ROOT, L".mp4", nullptr), L"Movanta.MP4");
    EXPECT_EQ(StringOf(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.mp4",
                       L"ProgID"),
              L"Movanta.MP4");
    EXPECT_EQ(Read(list), "# the user's own\n[Default Applications]\n"
                          "video/3gpp=movanta.desktop;vlc.desktop;mpv.desktop;\ntext/plain=gedit.desktop;\n"
                          "video/mp4=movanta.desktop;\n\n[Added Associations]\nvideo/mp4=totem.desktop;\n");

    movanta::app::ApplyFileAssociations(true);
    EXPECT_EQ(StringOf(HKEY_CLASSES_ROOT, L".3gp", L"Movanta.BAK"), L"Movanta.3GP") << "enabled twice";

    movanta::app::ApplyFileAssociations(false);
    EXPECT_EQ(StringOf(HKEY_CLASSES_ROOT, L".3gp", nullptr), L"");
    EXPECT_EQ(StringOf(HKEY_CLASSES_ROOT, L".3gp", L"Movanta.BAK"), L"Movanta.3GP") << "left as it was";
    EXPECT_EQ(StringOf(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.mp4",
                       L"ProgID"),
              L"");
    EXPECT_EQ(Read(list), "# the user's own\n[Default Applications]\nvideo/3gpp=vlc.desktop;mpv.desktop;\n"
                          "text/plain=gedit.desktop;\n\n[Added Associations]\nvideo/mp4=totem.desktop;\n")
        << "the desktop's defaults are what they were";

    // Disabling leaves another program's association alone.
    classes.WriteString(nullptr, L"Player.3gp");
    movanta::app::ApplyFileAssociations(false);
    EXPECT_EQ(StringOf(HKEY_CLASSES_ROOT, L".3gp", nullptr), L"Player.3gp");
}

TEST_F(Settings, TheDesktopListIsMadeWhenMissingAndAnUnusableOneIsLeftAlone) {
    const std::string list = config_.File("sub/mimeapps.list");
    ASSERT_TRUE(movanta::app::SetMimeDefaults(list, {"video/mp4"}, "movanta.desktop", true));
    EXPECT_EQ(Read(list), "[Default Applications]\nvideo/mp4=movanta.desktop;\n");
    ASSERT_TRUE(movanta::app::SetMimeDefaults(list, {"video/mp4"}, "movanta.desktop", false));
    EXPECT_EQ(Read(list), "[Default Applications]\n");
    EXPECT_FALSE(movanta::app::SetMimeDefaults(config_.Path(), {"video/mp4"}, "movanta.desktop", true))
        << "a folder is no list";
}

TEST(PhoneProfiles, TheSizeEstimateCountsWholeSecondsAndTheLimitIsReachedAtItsValue) {
    using movanta::app::PhoneProfile;
    using movanta::app::VideoLenToSize;
    EXPECT_EQ(VideoLenToSize(PhoneProfile(0), 1, 1, TRX_SYS_MP4, 9'000'000).text, L"0KB");
    EXPECT_EQ(VideoLenToSize(PhoneProfile(0), 1, 1, TRX_SYS_MP4, 307'000'000).text, L"1800KB");
    // Phone 2: (48000 + 7400) bit/s for 3GP; 28 s come to 193KB, 29 s to 200KB.
    EXPECT_FALSE(VideoLenToSize(PhoneProfile(2), 0, 0, TRX_SYS_3GP, 280'000'000).overLimit);
    const auto atLimit = VideoLenToSize(PhoneProfile(2), 0, 0, TRX_SYS_3GP, 290'000'000);
    EXPECT_EQ(atLimit.text, L"200KB");
    EXPECT_TRUE(atLimit.overLimit);
}

}  // namespace
