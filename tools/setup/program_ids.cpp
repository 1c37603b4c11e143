#include "program_ids.h"

#include <string>

#include "registry/registry_strings.h"
#include "win/text.h"

namespace movanta::setup {
namespace {

struct ProgramId {
    const WCHAR* name;
    const WCHAR* description;
};

constexpr ProgramId kProgramIds[] = {{L"Movanta.3GP", L"3GP video"}, {L"Movanta.MP4", L"MP4 video"}};

bool WriteDefault(const std::wstring& subKey, const std::wstring& text) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    const bool written = WriteRegString(key, nullptr, text) == ERROR_SUCCESS;
    RegCloseKey(key);
    return written;
}

}  // namespace

bool WriteProgramIds(const std::filesystem::path& prefix) {
    const std::wstring program = Utf8ToWide((prefix / "bin/movanta").string());
    const std::wstring icon = Utf8ToWide((prefix / "share/icons/hicolor/scalable/apps/movanta.svg").string());
    bool written = true;
    for (const ProgramId& id : kProgramIds) {
        const std::wstring key = id.name;
        written = WriteDefault(key, id.description) && written;
        written = WriteDefault(key + L"\\DefaultIcon", icon) && written;
        written = WriteDefault(key + L"\\shell\\open\\command", L"\"" + program + L"\" \"%1\"") && written;
    }
    return written;
}

bool DeleteProgramIds() {
    bool deleted = true;
    for (const ProgramId& id : kProgramIds) {
        const LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, id.name);
        deleted = (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) && deleted;
    }
    return deleted;
}

}  // namespace movanta::setup
