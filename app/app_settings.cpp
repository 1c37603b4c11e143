#include "app_settings.h"

#include "file_associations.h"
#include "registry_key.h"

namespace movanta::app {
namespace {

constexpr std::uint32_t kPhoneCount = 5;
constexpr std::uint32_t kHighestQuality = 2;
constexpr std::uint32_t kLoudest = 100;

// The number, or its default written back when it cannot be read.
std::uint32_t NumberOr(CRegistryKey& key, LPCWSTR name, std::uint32_t fallback) {
    DWORD value = fallback;
    if (key.ReadNumber(name, value) != 0) {
        value = fallback;
        key.WriteNumber(name, value);
    }
    return value;
}

}  // namespace

AppSettings LoadSettings() {
    AppSettings settings;
    CRegistryKey user;
    user.SetRootKey(HKEY_CURRENT_USER);
    if (!user.OpenKey(kProgramKey, FALSE)) user.OpenKey(kProgramKey, TRUE);
    settings.videoQuality = NumberOr(user, L"VideoQty", 1);
    settings.audioQuality = NumberOr(user, L"AudioQty", 1);
    settings.phone = NumberOr(user, L"MobilePhone", 0);
    if (settings.phone >= kPhoneCount) settings.phone = 0;
    // The qualities index three-entry columns of the phone profiles.
    if (settings.videoQuality > kHighestQuality) settings.videoQuality = 1;
    if (settings.audioQuality > kHighestQuality) settings.audioQuality = 1;
    settings.soundOn = NumberOr(user, L"VolumeOn", 1) != 0;
    settings.volume = std::min(NumberOr(user, L"VolumeValue", 40), kLoudest);

    CRegistryKey machine;
    machine.SetRootKey(HKEY_LOCAL_MACHINE);
    if (machine.OpenKey(kProgramKey, FALSE)) {
        settings.associate = NumberOr(machine, L"ShellInted", 0) != 0;
        CString filter;
        if (machine.ReadString(L"FileFilter", filter) == 0) settings.fileFilter = filter;
    }
    return settings;
}

void SaveSettings(const AppSettings& settings) {
    CRegistryKey user;
    user.SetRootKey(HKEY_CURRENT_USER);
    if (!user.OpenKey(kProgramKey, FALSE)) user.OpenKey(kProgramKey, TRUE);
    user.WriteNumber(L"VideoQty", settings.videoQuality);
    user.WriteNumber(L"AudioQty", settings.audioQuality);
    user.WriteNumber(L"MobilePhone", settings.phone);
    user.WriteNumber(L"VolumeOn", settings.soundOn ? 1 : 0);
    user.WriteNumber(L"VolumeValue", settings.volume);

    CRegistryKey machine;
    machine.SetRootKey(HKEY_LOCAL_MACHINE);
    if (machine.OpenKey(kProgramKey, FALSE)) {
        ApplyFileAssociations(settings.associate);
        machine.WriteNumber(L"ShellInted", settings.associate ? 1 : 0);
    }
}

}  // namespace movanta::app
