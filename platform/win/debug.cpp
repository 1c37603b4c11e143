#include "win/debug.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "win/text.h"

namespace {

bool DebugOutputWanted() {
    static const bool wanted = [] {
        const char* value = std::getenv("MOVANTA_DEBUG_OUTPUT");
        return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
    }();
    return wanted;
}

}  // namespace

void OutputDebugStringA(LPCSTR text) {
    if (text == nullptr || !DebugOutputWanted()) return;
    std::fputs(text, stderr);
    std::fflush(stderr);
}

void OutputDebugStringW(LPCWSTR text) {
    if (text == nullptr || !DebugOutputWanted()) return;
    OutputDebugStringA(movanta::WideToUtf8(text).c_str());
}

namespace movanta {

void TraceLine(const char* format, ...) {
    char line[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    OutputDebugStringA(line);
}

void TraceLine(const wchar_t* format, ...) {
    wchar_t line[1024];
    va_list args;
    va_start(args, format);
    if (std::vswprintf(line, sizeof line / sizeof line[0], format, args) < 0) {
        line[sizeof line / sizeof line[0] - 1] = L'\0';  // truncated: keep what fitted
    }
    va_end(args);
    OutputDebugStringW(line);
}

}  // namespace movanta
