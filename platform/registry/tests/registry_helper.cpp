// A second process for the registry's tests; it uses the hives that
// MOVANTA_REGISTRY_DIR names.
//   write-types       writes one value of every type, with awkward names
//   write-many P N    writes N values named P0..P(N-1), one call each
//   write-forever     rewrites growing values until killed; prints "started"
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "registry/registry.h"
#include "win/text.h"

namespace {

HKEY Create(LPCWSTR path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != 0) {
        std::exit(3);
    }
    return key;
}

void Set(HKEY key, const std::wstring& name, DWORD type, const void* data, size_t size) {
    if (RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size)) != 0) {
        std::exit(4);
    }
}

void SetText(HKEY key, const std::wstring& name, DWORD type, const std::wstring& text) {
    Set(key, name, type, text.c_str(), (text.size() + 1) * sizeof(WCHAR));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "write-types") == 0) {
        HKEY key = Create(L"Software\\Nexaro Corp\\Movanta\\1.0");
        SetText(key, L"", REG_SZ, L"default text");
        SetText(key, L"AppPath", REG_SZ, L"/opt/movanta \"quoted\" \\ back\nline\ttab \u00e9\u6a5f");
        SetText(key, L"Expand", REG_EXPAND_SZ, L"%HOME%/clips");
        const BYTE binary[] = {0x00, 0xFF, 0x10, 0x0A, 0x5D};
        Set(key, L"Binary", REG_BINARY, binary, sizeof binary);
        const DWORD number = 0x12345678;
        Set(key, L"VideoQty", REG_DWORD, &number, sizeof number);
        const ULONGLONG big = 0x0102030405060708ULL;
        Set(key, L"Big", REG_QWORD, &big, sizeof big);
        Set(key, L"Empty", REG_BINARY, nullptr, 0);
        SetText(key, L"name with = and \"quotes\" and ]", REG_SZ, L"x");
        RegCloseKey(key);
        RegCloseKey(Create(L"Software\\Odd [key] %20 \u00e9\\Child"));
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "write-many") == 0) {
        HKEY key = Create(L"Software\\Concurrent");
        const int count = std::atoi(argv[3]);
        for (int i = 0; i < count; ++i) {
            const DWORD value = static_cast<DWORD>(i);
            Set(key, movanta::Utf8ToWide(argv[2] + std::to_string(i)), REG_BINARY, &value, sizeof value);
        }
        RegCloseKey(key);
        std::printf("done\n");
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "write-forever") == 0) {
        HKEY key = Create(L"Software\\Churn");
        std::vector<BYTE> payload;
        for (DWORD round = 1;; ++round) {
            payload.assign(1000 + (round % 50) * 200, static_cast<BYTE>(round));
            Set(key, L"Payload", REG_BINARY, payload.data(), payload.size());
            Set(key, L"Round", REG_BINARY, &round, sizeof round);
            if (round == 1) {
                std::printf("started\n");
                std::fflush(stdout);
            }
        }
    }
    return 2;
}
