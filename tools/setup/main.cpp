// movanta-setup: completes or undoes an installation in the prefix that
// holds this program (its bin/ folder's parent).
//   install    registers every plug-in in lib/movanta/plugins and writes the
//              machine values "AppPath" (the application folder, lib/movanta)
//              and "UninstallString"
//   uninstall  unregisters the plug-ins, removes the machine values and the
//              files the installation placed (listed in
//              share/movanta/installed-files.txt)
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "com/server_file.h"
#include "registry/registry_strings.h"
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
    const std::string uninstall = "\"" + (prefix / "bin/movanta-setup").string() + "\" uninstall";
    if (movanta::WriteRegString(key, L"AppPath", movanta::Utf8ToWide((prefix / "lib/movanta").string())) != ERROR_SUCCESS ||
        movanta::WriteRegString(key, L"UninstallString", movanta::Utf8ToWide(uninstall)) != ERROR_SUCCESS) {
        std::fprintf(stderr, "movanta-setup: cannot write the machine settings\n");
        ++failures;
    }
    RegCloseKey(key);
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

int Uninstall(const fs::path& prefix) {
    if (!MovantaEnded()) {
        std::fprintf(stderr, "movanta-setup: Movanta is still running: close it, then uninstall again. Nothing was "
                             "removed.\n");
        return 1;
    }
    int failures = RegisterPlugins(prefix, false);
    const LSTATUS status = RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Nexaro Corp");
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
        std::fprintf(stderr, "movanta-setup: cannot remove the machine settings\n");
        ++failures;
    }
    const fs::path listing = prefix / "share/movanta/installed-files.txt";
    std::ifstream files(listing);
    std::vector<fs::path> folders;
    for (std::string line; std::getline(files, line);) {
        const fs::path file(line);
        // Only files inside this prefix are ever removed.
        if (line.empty() || file.lexically_relative(prefix).string().starts_with("..")) continue;
        std::error_code error;
        fs::remove(file, error);
        folders.push_back(file.parent_path());
    }
    std::error_code error;
    fs::remove(listing, error);
    folders.push_back(listing.parent_path());
    fs::remove_all(prefix / "lib/movanta/registry", error);
    // Remove the folders that are left empty, deepest first.
    std::sort(folders.begin(), folders.end(),
              [](const fs::path& a, const fs::path& b) { return a.string().size() > b.string().size(); });
    for (fs::path folder : folders) {
        while (folder != prefix && folder.string().size() > prefix.string().size() && fs::is_empty(folder, error)) {
            fs::remove(folder, error);
            folder = folder.parent_path();
        }
    }
    std::printf("uninstalled from %s\n", prefix.c_str());
    return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path prefix = Prefix();
    if (argc != 2 || prefix.empty()) {
        std::fprintf(stderr, "usage: movanta-setup install|uninstall\n");
        return 2;
    }
    if (std::strcmp(argv[1], "install") == 0) return Install(prefix);
    if (std::strcmp(argv[1], "uninstall") == 0) return Uninstall(prefix);
    std::fprintf(stderr, "usage: movanta-setup install|uninstall\n");
    return 2;
}
