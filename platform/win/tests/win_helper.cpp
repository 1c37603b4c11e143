// A second process for the window layer's tests.
//   hold-event NAME   creates the named event, prints "ready", then waits
//   debug-output TEXT writes TEXT through OutputDebugStringW
//   register-message NAME prints the number RegisterWindowMessageW gives
//   close-window CLASS TITLE finds another process's window by class (wide
//                     and narrow) and by title, brings it to the foreground
//                     and posts it WM_CLOSE; exits 0 when all worked
//   leave-window CLASS  shows a window of that class and ends without
//                     cleaning up, as a crashed process would
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "win/windows.h"

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "hold-event") == 0) {
        const std::wstring name = movanta::Utf8ToWide(argv[2]);
        HANDLE event = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
        if (event == nullptr) return 1;
        std::printf("ready\n");
        std::fflush(stdout);
        WaitForSingleObject(event, INFINITE);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "debug-output") == 0) {
        OutputDebugStringW(movanta::Utf8ToWide(argv[2]).c_str());
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "register-message") == 0) {
        std::printf("%u\n", RegisterWindowMessageW(movanta::Utf8ToWide(argv[2]).c_str()));
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "close-window") == 0) {
        const std::wstring className = movanta::Utf8ToWide(argv[2]);
        const std::wstring title = movanta::Utf8ToWide(argv[3]);
        HWND byClass = FindWindowW(className.c_str(), nullptr);
        if (byClass == nullptr || FindWindowW(nullptr, title.c_str()) != byClass ||
            FindWindowA(argv[2], argv[3]) != byClass || !IsWindow(byClass)) {
            return 3;
        }
        DWORD process = 0;
        GetWindowThreadProcessId(byClass, &process);
        if (process == GetCurrentProcessId() || !SetForegroundWindow(byClass)) return 4;
        return PostMessageW(byClass, WM_CLOSE, 0, 0) ? 0 : 5;
    }
    if (argc == 3 && std::strcmp(argv[1], "leave-window") == 0) {
        const std::wstring className = movanta::Utf8ToWide(argv[2]);
        WNDCLASSW windowClass {};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.lpszClassName = className.c_str();
        RegisterClassW(&windowClass);
        CreateWindowExW(0, className.c_str(), L"left", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        std::_Exit(0);
    }
    return 2;
}
