// A second process for the window layer's tests.
//   hold-event NAME   creates the named event, prints "ready", then waits
//   debug-output TEXT writes TEXT through OutputDebugStringW
//   register-message NAME prints the number RegisterWindowMessageW gives
#include <cstdio>
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
    return 2;
}
