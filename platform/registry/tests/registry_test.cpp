// The registry through its public calls: typed values, keys, sizing rules,
// persistence across processes, concurrent writers, killed writers and
// damaged hive files.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "registry/registry.h"
#include "testing/testing.h"
#include "win/text.h"
#include "win/thread.h"

namespace {

using movanta::testing::Child;
using movanta::testing::ScopedRegistry;

class RegistryTest : public ::testing::Test {
protected:
    HKEY Open(LPCWSTR path, HKEY root = HKEY_CURRENT_USER) {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExW(root, path, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS) << movanta::WideToUtf8(path);
        return key;
    }
    HKEY Create(LPCWSTR path, DWORD* disposition = nullptr) {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, disposition),
                  ERROR_SUCCESS);
        return key;
    }
    static std::wstring ReadText(HKEY key, LPCWSTR name, DWORD* type = nullptr) {
        WCHAR text[512] = {};
        DWORD size = sizeof text;
        if (RegQueryValueExW(key, name, nullptr, type, reinterpret_cast<LPBYTE>(text), &size) != ERROR_SUCCESS) {
            return L"<missing>";
        }
        EXPECT_EQ(size % sizeof(WCHAR), 0u);
        EXPECT_EQ(text[size / sizeof(WCHAR) - 1], L'\0');
        return text;
    }
    static std::vector<BYTE> ReadBytes(HKEY key, LPCWSTR name, DWORD* type = nullptr) {
        DWORD size = 0;
        if (RegQueryValueExW(key, name, nullptr, type, nullptr, &size) != ERROR_SUCCESS) return {0xEE};
        std::vector<BYTE> data(size);
        EXPECT_EQ(RegQueryValueExW(key, name, nullptr, type, data.data(), &size), ERROR_SUCCESS);
        return data;
    }
    std::string HiveFile() const { return registry_.Folder() + "/HKEY_CURRENT_USER.reg"; }
    std::vector<std::string> AsideFiles() const {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(registry_.Folder())) {
            if (entry.path().filename().string().find(".damaged-") != std::string::npos) {
                found.push_back(entry.path().string());
            }
        }
        return found;
    }

    ScopedRegistry registry_;
};

TEST_F(RegistryTest, ValuesOfEveryTypeSurviveARestartOfTheProcess) {
    ASSERT_EQ(movanta::testing::Run({REGISTRY_HELPER_PATH, "write-types"}), 0);
    EXPECT_TRUE(std::filesystem::exists(HiveFile()));

    HKEY key = Open(L"software\\NEXARO CORP\\Movanta\\1.0");  // names ignore case
    DWORD type = 0;
    EXPECT_EQ(ReadText(key, nullptr, &type), L"default text");
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(ReadText(key, L"apppath", &type), L"/opt/movanta \"quoted\" \\ back\nline\ttab \u00e9\u6a5f");
    EXPECT_EQ(ReadText(key, L"Expand", &type), L"%HOME%/clips");
    EXPECT_EQ(type, REG_EXPAND_SZ);
    EXPECT_EQ(ReadBytes(key, L"Binary", &type), (std::vector<BYTE> {0x00, 0xFF, 0x10, 0x0A, 0x5D}));
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(ReadBytes(key, L"VideoQty", &type), (std::vector<BYTE> {0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(ReadBytes(key, L"Big", &type), (std::vector<BYTE> {8, 7, 6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(type, REG_QWORD);
    EXPECT_TRUE(ReadBytes(key, L"Empty").empty());
    EXPECT_EQ(ReadText(key, L"name with = and \"quotes\" and ]"), L"x");
    RegCloseKey(key);
    RegCloseKey(Open(L"Software\\Odd [key] %20 \u00e9\\Child"));

    // Strings written through the wide calls read back narrow as UTF-8.
    char narrow[64] = {};
    DWORD size = sizeof narrow;
    EXPECT_EQ(SHGetValueA(HKEY_CURRENT_USER, "Software\\Nexaro Corp\\Movanta\\1.0", "Expand", &type, narrow, &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(narrow, "%HOME%/clips");
    EXPECT_EQ(size, std::strlen("%HOME%/clips") + 1);
}

TEST_F(RegistryTest, ANumberReadsAsFourBytesWhateverItsTypeAndSizesAreReported) {
    HKEY key = Create(L"Software\\Numbers");
    const DWORD dword = 7;
    ASSERT_EQ(RegSetValueExW(key, L"AsDword", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dword), 4), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, L"AsBinary", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&dword), 4), ERROR_SUCCESS);
    for (LPCWSTR name : {L"AsDword", L"AsBinary"}) {
        DWORD value = 0;
        DWORD size = sizeof value;
        EXPECT_EQ(RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<LPBYTE>(&value), &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(value, 7u);
        EXPECT_EQ(size, 4u);
    }
    const ULONGLONG wide = 1;
    ASSERT_EQ(RegSetValueExW(key, L"Eight", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&wide), 8), ERROR_SUCCESS);
    DWORD value = 99;
    DWORD size = sizeof value;
    EXPECT_EQ(RegQueryValueExW(key, L"Eight", nullptr, nullptr, reinterpret_cast<LPBYTE>(&value), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(value, 99u);  // untouched when it does not fit
    size = 0;
    EXPECT_EQ(RegQueryValueExW(key, L"Eight", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(RegQueryValueExW(key, L"Missing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegSetValueExW(key, L"TooBig", 0, REG_BINARY, nullptr, 5), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

TEST_F(RegistryTest, KeysAreCreatedOpenedEnumeratedAndDeleted) {
    DWORD disposition = 0;
    HKEY key = Create(L"Software\\Tree\\Branch\\Leaf", &disposition);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    RegCloseKey(key);
    RegCloseKey(Create(L"Software\\Tree\\Branch\\Leaf", &disposition));
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    RegCloseKey(Create(L"Software\\Tree\\Other"));

    HKEY missing = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Nowhere", 0, KEY_READ, &missing), ERROR_FILE_NOT_FOUND);

    HKEY tree = Open(L"Software\\Tree");
    WCHAR name[16];
    std::vector<std::wstring> names;
    for (DWORD i = 0;; ++i) {
        DWORD length = 16;
        const LSTATUS status = RegEnumKeyExW(tree, i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        ASSERT_EQ(status, ERROR_SUCCESS);
        EXPECT_EQ(length, std::wcslen(name));
        names.push_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::wstring> {L"Branch", L"Other"}));
    DWORD tooShort = 3;
    EXPECT_EQ(RegEnumKeyExW(tree, 0, name, &tooShort, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);

    // A key with subkeys is kept; the whole tree can go at once.
    EXPECT_EQ(RegDeleteKeyW(tree, L"Branch"), ERROR_ACCESS_DENIED);
    HKEY leaf = Open(L"Software\\Tree\\Branch\\Leaf");
    EXPECT_EQ(RegDeleteKeyW(tree, L"Branch\\Leaf"), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(leaf, L"x", 0, REG_BINARY, nullptr, 0), ERROR_KEY_DELETED);
    RegCloseKey(leaf);
    EXPECT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tree"), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Tree\\Other", 0, KEY_READ, &missing), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(tree), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(tree), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, ValuesAreDeletedAndEnumeratedInWritingOrder) {
    HKEY key = Create(L"Software\\Values");
    for (LPCWSTR name : {L"b", L"a", L"c"}) {
        ASSERT_EQ(RegSetValueExW(key, name, 0, REG_BINARY, reinterpret_cast<const BYTE*>("x"), 1), ERROR_SUCCESS);
    }
    EXPECT_EQ(RegDeleteValueW(key, L"A"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueW(key, L"a"), ERROR_FILE_NOT_FOUND);
    WCHAR name[8];
    std::wstring seen;
    for (DWORD i = 0;; ++i) {
        DWORD length = 8;
        DWORD type = 0;
        if (RegEnumValueW(key, i, name, &length, nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS) break;
        EXPECT_EQ(type, REG_BINARY);
        seen += name;
    }
    EXPECT_EQ(seen, L"bc");
    RegCloseKey(key);
}

TEST_F(RegistryTest, HivesLiveInTheFolderTheEnvironmentNames) {
    RegCloseKey(Create(L"Software\\Here"));
    HKEY machine = nullptr;
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\M", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &machine, nullptr),
        ERROR_SUCCESS);
    RegCloseKey(machine);
    EXPECT_TRUE(std::filesystem::exists(HiveFile()));
    EXPECT_TRUE(std::filesystem::exists(registry_.Folder() + "/HKEY_LOCAL_MACHINE.reg"));
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, L"Software\\M", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, TwoProcessesWritingTheSameHiveLoseNothing) {
    Child first({REGISTRY_HELPER_PATH, "write-many", "first", "500"});
    Child second({REGISTRY_HELPER_PATH, "write-many", "second", "500"});
    EXPECT_EQ(first.ReadLine(), "done");
    EXPECT_EQ(second.ReadLine(), "done");
    EXPECT_EQ(first.Wait(), 0);
    EXPECT_EQ(second.Wait(), 0);
    HKEY key = Open(L"Software\\Concurrent");
    for (const char* prefix : {"first", "second"}) {
        for (DWORD i = 0; i < 500; ++i) {
            DWORD value = 0xFFFFFFFF;
            DWORD size = sizeof value;
            const std::wstring name = movanta::Utf8ToWide(prefix + std::to_string(i));
            ASSERT_EQ(RegQueryValueExW(key, name.c_str(), nullptr, nullptr, reinterpret_cast<LPBYTE>(&value), &size),
                      ERROR_SUCCESS)
                << prefix << i;
            EXPECT_EQ(value, i);
        }
    }
    RegCloseKey(key);
}

TEST_F(RegistryTest, AWriterKilledMidWriteLeavesAWholeHive) {
    DWORD lastRound = 0;
    for (int attempt = 0; attempt < 6; ++attempt) {
        Child writer({REGISTRY_HELPER_PATH, "write-forever"});
        ASSERT_EQ(writer.ReadLine(), "started");
        Sleep(static_cast<DWORD>(20 + attempt * 37));
        writer.Kill(SIGKILL);
        writer.Wait();

        ::testing::internal::CaptureStderr();
        HKEY key = Open(L"Software\\Churn");
        const std::string complaints = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(complaints, "");
        DWORD round = 0;
        DWORD size = sizeof round;
        ASSERT_EQ(RegQueryValueExW(key, L"Round", nullptr, nullptr, reinterpret_cast<LPBYTE>(&round), &size),
                  ERROR_SUCCESS);
        EXPECT_GE(round, 1u);
        // "Payload" is written just before "Round": it is of that round or,
        // when the writer died between the two, of the next one; always whole.
        const std::vector<BYTE> payload = ReadBytes(key, L"Payload");
        const DWORD payloadRound = payload.front() == static_cast<BYTE>(round) ? round : round + 1;
        EXPECT_EQ(payload.front(), static_cast<BYTE>(payloadRound));
        EXPECT_EQ(payload.size(), 1000u + (payloadRound % 50) * 200);
        EXPECT_EQ(payload.back(), payload.front());
        lastRound = round;
        RegCloseKey(key);
    }
    EXPECT_TRUE(AsideFiles().empty());
    EXPECT_GT(lastRound, 0u);
}

TEST_F(RegistryTest, ADamagedHiveIsReportedOnceSetAsideAndStartsEmpty) {
    RegCloseKey(Create(L"Software\\Before"));
    {
        std::ofstream damage(HiveFile(), std::ios::trunc);
        damage << "MOVANTA-REGISTRY 1\n[Software\\Before]\n\"Broken=sz:\n";
    }
    ::testing::internal::CaptureStderr();
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Before", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Before", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    const std::string report = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(report.find(HiveFile()), std::string::npos) << report;
    EXPECT_NE(report.find("line 3"), std::string::npos) << report;
    EXPECT_EQ(report.find("is damaged"), report.rfind("is damaged")) << "reported more than once: " << report;

    const auto aside = AsideFiles();
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_NE(report.find(aside[0]), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(HiveFile()));

    // The hive works again from empty.
    RegCloseKey(Create(L"Software\\After"));
    RegCloseKey(Open(L"Software\\After"));
}

TEST_F(RegistryTest, AHiveCutShortCountsAsDamaged) {
    HKEY key = Create(L"Software\\Cut");
    const DWORD value = 1;
    RegSetValueExW(key, L"v", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&value), 4);
    RegCloseKey(key);
    std::filesystem::resize_file(HiveFile(), std::filesystem::file_size(HiveFile()) - 4);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Cut", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("end marker"), std::string::npos);
    EXPECT_EQ(AsideFiles().size(), 1u);
}

}  // namespace
