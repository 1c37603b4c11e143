// movanta-setup: completes or undoes an installation in the prefix that
// holds this program (its bin/ folder's parent).
//   install    registers every plug-in in lib/movanta/plugins, writes the
//              machine values "AppPath" (the application folder, lib/movanta)
//              and "UninstallString" and the program ids "Movanta.3GP" and
//              "Movanta.MP4", and refreshes the desktop's caches
//   uninstall  unregisters the plug-ins, removes the registry entries the
//              install wrote and the files the installation placed (listed
//              in share/movanta/installed-files.txt), and refreshes the
//              desktop's caches; it removes nothing while Movanta runs or
//              when this user may not change the prefix. With
//              --show-result (how the installation registers it for the
//              uninstaller) a message box tells how it ended. An install
//              from the Debian package (share/movanta/packaged names the
//              package) is removed through the package manager instead,
//              with the administrator's password asked by pkexec.
//   unregister what the package's removal runs first: the plug-ins, the
//              program ids and the machine values go; the files are the
//              package manager's.
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "com/server_file.h"
#include "desktop_caches.h"
#include "installed_files.h"
#include "program_ids.h"
#include "run_command.h"
#include "registry/registry_strings.h"
#include "ui/desktop.h"
#include "ui/dialogs.h"
#include "win/sync.h"
#include "win/text.h"
#include "win/thread.h"

namespace fs = std::filesystem;

namespace {

constexpr const WCHAR* kMachineKey = L"Software\\Nexaro Corp\\Movanta\\1.0";

fs::path Prefix() {
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return {};
    self[n] = '\0';
    return fs::path(self).parent_path().parent_path();
}

std::vector<fs::path> Plugins(const fs::path& prefix) {
    std::vector<fs::path> plugins;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(prefix / "lib/movanta/plugins", error)) {
        if (entry.path().extension() == ".so") plugins.push_back(entry.path());
    }
    std::sort(plugins.begin(), plugins.end());
    return plugins;
}

int RegisterPlugins(const fs::path& prefix, bool registering) {
    int failures = 0;
    for (const fs::path& plugin : Plugins(prefix)) {
        std::string error;
        const movanta::ServerFileResult result = movanta::RegisterServerFile(plugin, registering, error);
        if (result == movanta::ServerFileResult::NoEntryPoint) continue;  // a library the plug-ins load, not one
        if (result != movanta::ServerFileResult::Done) {
            std::fprintf(stderr, "movanta-setup: %s\n", error.c_str());
            ++failures;
        } else {
            std::printf("%s %s\n", registering ? "registered" : "unregistered", plugin.filename().c_str());
        }
    }
    return failures;
}

int Install(const fs::path& prefix) {
    int failures = RegisterPlugins(prefix, true);
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kMachineKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        std::fprintf(stderr, "movanta-setup: cannot write the machine settings\n");
        return 1;
    }
    const std::string uninstall = "\"" + (prefix / "bin/movanta-setup").string() + "\" uninstall --show-result";
    if (movanta::WriteRegString(key, L"AppPath", movanta::Utf8ToWide((prefix / "lib/movanta").string())) != ERROR_SUCCESS ||
        movanta::WriteRegString(key, L"UninstallString", movanta::Utf8ToWide(uninstall)) != ERROR_SUCCESS) {
        std::fprintf(stderr, "movanta-setup: cannot write the machine settings\n");
        ++failures;
    }
    RegCloseKey(key);
    if (!movanta::setup::WriteProgramIds(prefix)) {
        std::fprintf(stderr, "movanta-setup: cannot write the program ids of .3gp and .mp4 files\n");
        ++failures;
    }
    movanta::setup::RefreshDesktopCaches(prefix);
    std::printf("installed in %s\n", prefix.c_str());
    return failures == 0 ? 0 : 1;
}

// A running Movanta holds its launch event. The uninstaller asks it to
// close and starts this command at once, so it gets a few seconds to end.
bool MovantaEnded() {
    constexpr int kChecks = 50;
    constexpr DWORD kPause = 100;
    for (int check = 0; check < kChecks; ++check) {
        HANDLE running = OpenEventW(EVENT_ALL_ACCESS, FALSE, L"MovantaLaunchCheck");
        if (running == nullptr) return true;
        CloseHandle(running);
        Sleep(kPause);
    }
    return false;
}

// Whether this user may change every folder the uninstall removes from.
bool MayChange(const fs::path& prefix) {
    for (const char* folder : {"bin", "lib/movanta", "share/movanta"}) {
        const fs::path path = prefix / folder;
        if (fs::exists(path) && access(path.c_str(), W_OK) != 0) return false;
    }
    return true;
}

// Says how the uninstall ended: on the terminal, and in a message box when
// `onDesktop` (the uninstaller starts this command with no terminal to read).
int Report(bool onDesktop, bool failed, const std::string& text) {
    std::fprintf(failed ? stderr : stdout, "%s%s\n", failed ? "movanta-setup: " : "", text.c_str());
    if (onDesktop && movanta::ui::StartDesktop()) {
        MessageBoxA(nullptr, text.c_str(), "Uninstall Movanta", MB_OK | (failed ? MB_ICONERROR : MB_ICONINFORMATION));
    }
    return failed ? 1 : 0;
}

// Unregisters the plug-ins, removes the program ids and the machine values;
// the number of failures.
int Unregister(const fs::path& prefix) {
    int failures = RegisterPlugins(prefix, false);
    if (!movanta::setup::DeleteProgramIds()) {
        std::fprintf(stderr, "movanta-setup: cannot remove the program ids of .3gp and .mp4 files\n");
        ++failures;
    }
    const LSTATUS status = RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Nexaro Corp");
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
        std::fprintf(stderr, "movanta-setup: cannot remove the machine settings\n");
        ++failures;
    }
    return failures;
}

// The Debian package this installation came from; empty for an install of
// its own.
std::string PackageOf(const fs::path& prefix) {
    std::ifstream marker(prefix / "share/movanta/packaged");
    std::string name;
    std::getline(marker, name);
    const bool valid = !name.empty() && name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789+-.") == std::string::npos;
    return valid ? name : std::string();
}

// Removes the package through the package manager: directly as root,
// otherwise through pkexec, which asks for the administrator's password.
int RemovePackage(const std::string& package, bool onDesktop) {
    std::vector<std::string> command = {"/usr/bin/apt-get", "remove", "-y", package};
    if (geteuid() != 0) command.insert(command.begin(), "/usr/bin/pkexec");
    const int code = movanta::setup::RunCommand(command).value_or(127);
    if (code == 0) return Report(onDesktop, false, "Movanta was removed (package " + package + ").");
    const std::string why = code == 126 || code == 127 ? "the administrator's password was not given"
                                                       : "the package manager stopped with status " + std::to_string(code);
    return Report(onDesktop, true, "Movanta was not removed: " + why + ". Run \"sudo apt-get remove " + package + "\".");
}

int Uninstall(const fs::path& prefix, bool onDesktop) {
    if (!MovantaEnded()) {
        return Report(onDesktop, true, "Movanta is still running: close it, then uninstall again. Nothing was removed.");
    }
    if (const std::string package = PackageOf(prefix); !package.empty()) return RemovePackage(package, onDesktop);
    if (!MayChange(prefix)) {
        return Report(onDesktop, true,
                      "Movanta is installed in " + prefix.string() + ", which only an administrator may change: "
                      "run \"sudo " + (prefix / "bin/movanta-setup").string() + " uninstall\". Nothing was removed.");
    }
    const int failures = Unregister(prefix);
    std::vector<fs::path> created = movanta::setup::RemoveInstalledFiles(prefix);
    movanta::setup::RefreshOrDropDesktopCaches(prefix);
    movanta::setup::RemoveEmptyFolders(std::move(created), prefix);
    if (failures != 0) {
        return Report(onDesktop, true, "Movanta was removed from " + prefix.string() +
                                           ", but some of its registry entries could not be removed.");
    }
    return Report(onDesktop, false, "Movanta was removed from " + prefix.string() + ".");
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path prefix = Prefix();
    const std::string usage = "usage: movanta-setup install | uninstall [--show-result] | unregister\n";
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (prefix.empty() || arguments.empty() || arguments.size() > 2) {
        std::fputs(usage.c_str(), stderr);
        return 2;
    }
    if (arguments == std::vector<std::string> {"install"}) return Install(prefix);
    if (arguments == std::vector<std::string> {"unregister"}) return Unregister(prefix) == 0 ? 0 : 1;
    if (arguments[0] == "uninstall" && (arguments.size() == 1 || arguments[1] == "--show-result")) {
        return Uninstall(prefix, arguments.size() == 2);
    }
    std::fputs(usage.c_str(), stderr);
    return 2;
}
