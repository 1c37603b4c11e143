#include "uninstall_app.h"

#include <string>

#include "registry/registry.h"
#include "ui/desktop.h"
#include "ui/dialogs.h"
#include "win/process.h"
#include "win/winuser.h"

namespace movanta::uninstall {
namespace {

constexpr const char* kTitle = "Movanta";
constexpr const char* kQuestion = "Do you want to close Movanta and uninstall it ?";
constexpr const char* kCaption = "Waring";
constexpr const char* kValue = "UninstallString";
constexpr DWORD kCommandBytes = 260;

// Asks the running program to close; false when the user would rather not.
bool CloseRunningMovanta() {
    HWND running = FindWindowA(nullptr, kTitle);
    if (running == nullptr) return true;
    // The question needs the desktop; without one there is nobody to ask.
    if (!movanta::ui::StartDesktop() ||
        MessageBoxA(nullptr, kQuestion, kCaption, MB_OKCANCEL) != IDOK) {
        return false;
    }
    PostMessageW(running, WM_CLOSE, 0, 0);
    return true;
}

// Starts the command the installation registered; false when there is
// none (or it is too long) or it cannot be started.
bool StartUninstallCommand() {
    const std::string key = std::string("SOFTWARE\\") + "Nexaro Corp" + "\\" + "Movanta" + "\\" + "1.0";
    char command[kCommandBytes] {};
    DWORD type = REG_SZ;
    DWORD size = kCommandBytes;
    if (SHGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), kValue, &type, command, &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return false;
    }
    command[kCommandBytes - 1] = '\0';
    return WinExec(command, SW_SHOWNORMAL) > 31;
}

}  // namespace

CUninstallApp::CUninstallApp() : CWinApp(L"UninstallMovanta") {}

BOOL CUninstallApp::InitInstance() {
    const bool done = !CloseRunningMovanta() || StartUninstallCommand();
    // No window: the message loop ends as soon as it starts.
    PostQuitMessage(0);
    return done ? TRUE : FALSE;
}

}  // namespace movanta::uninstall
