#include "file_associations.h"

#include "mime_defaults.h"
#include "registry_key.h"
#include "win/debug.h"

namespace movanta::app {
namespace {

struct Extension {
    const WCHAR* name;
    const WCHAR* programId;
    const char* mimeType;
};

constexpr Extension kExtensions[] = {{L".3gp", L"Movanta.3GP", "video/3gpp"}, {L".mp4", L"Movanta.MP4", "video/mp4"}};
constexpr const WCHAR* kShellChoices = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";

void ApplyShellChoice(const Extension& extension, bool enable) {
    CRegistryKey key;
    key.SetRootKey(HKEY_CURRENT_USER);
    CString current;
    if (!key.OpenKey((CString(kShellChoices) + extension.name).Wide().c_str(), FALSE) ||
        key.ReadString(L"ProgID", current) != 0) {
        return;
    }
    if (enable) {
        key.WriteString(L"ProgID", extension.programId);
    } else {
        key.DeleteValue(L"ProgID");
    }
}

void ApplyClassKey(const Extension& extension, bool enable) {
    CRegistryKey key;
    key.SetRootKey(HKEY_CLASSES_ROOT);
    if (!key.OpenKey(extension.name, enable)) return;
    CString current;
    key.ReadString(nullptr, current);
    if (enable) {
        key.WriteString(L"Movanta.BAK", current.Wide().c_str());
        key.WriteString(nullptr, extension.programId);
    } else if (current == extension.programId) {
        // Another program's association is not ours to clear.
        key.WriteString(nullptr, L"");
    }
}

}  // namespace

void ApplyFileAssociations(bool enable) {
    for (const Extension& extension : kExtensions) ApplyShellChoice(extension, enable);
    std::vector<std::string> types;
    for (const Extension& extension : kExtensions) {
        ApplyClassKey(extension, enable);
        types.push_back(extension.mimeType);
    }
    if (!SetMimeDefaults(UserMimeAppsList(), types, kDesktopEntry, enable)) {
        OutputDebugStringA(("Movanta: cannot change the desktop's default applications in " + UserMimeAppsList() +
                            "\n").c_str());
    }
    SHChangeNotify(SHCNE_ASSOCCHANGED, 0, nullptr, nullptr);
}

}  // namespace movanta::app
