// Paths, files, disk space, starting commands, text conversion and debug output.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "testing/testing.h"
#include "win/windows.h"

namespace {

using movanta::Utf8ToWide;
using movanta::WideToUtf8;
using movanta::testing::TempDir;

std::wstring Wide(const std::string& text) {
    return Utf8ToWide(text);
}

TEST(ShortPathTest, GivesTheCanonicalPathOfAnExistingFile) {
    TempDir dir;
    std::ofstream(dir.File("clip.avi")) << "x";
    std::filesystem::create_directory(dir.File("sub"));
    std::filesystem::create_symlink(dir.File("clip.avi"), dir.File("sub/link.avi"));
    const std::string canonical = std::filesystem::canonical(dir.File("clip.avi")).string();

    // Backslashes separate folders like slashes; links and dots resolve.
    const std::wstring messy = Wide(dir.Path() + "\\sub\\..\\sub\\link.avi");
    WCHAR shortPath[MAX_PATH];
    const DWORD length = GetShortPathNameW(messy.c_str(), shortPath, MAX_PATH);
    EXPECT_EQ(WideToUtf8(shortPath), canonical);
    EXPECT_EQ(length, canonical.size());

    WCHAR tiny[4];
    EXPECT_EQ(GetShortPathNameW(messy.c_str(), tiny, 4), canonical.size() + 1);
}

TEST(ShortPathTest, FailsForAMissingFile) {
    TempDir dir;
    WCHAR shortPath[MAX_PATH];
    EXPECT_EQ(GetShortPathNameW(Wide(dir.File("missing.3gp")).c_str(), shortPath, MAX_PATH), 0u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
}

TEST(FileTest, CreateWriteSizeAttributesAndDelete) {
    TempDir dir;
    const std::wstring path = Wide(dir.File("out.3gp"));
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size {};
    EXPECT_TRUE(GetFileSizeEx(file, &size));
    EXPECT_EQ(size.QuadPart, 0);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, "abc", 3, &written, nullptr));
    EXPECT_EQ(written, 3u);
    EXPECT_TRUE(GetFileSizeEx(file, &size));
    EXPECT_EQ(size.QuadPart, 3);
    CloseHandle(file);

    EXPECT_EQ(GetFileAttributesW(path.c_str()), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(GetFileAttributesW(Wide(dir.Path()).c_str()) & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_EXISTS));

    file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    char text[8] = {};
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(file, text, sizeof text, &read, nullptr));
    EXPECT_EQ(std::string(text, read), "abc");
    CloseHandle(file);

    EXPECT_TRUE(DeleteFileW(path.c_str()));
    EXPECT_FALSE(DeleteFileW(path.c_str()));
    EXPECT_EQ(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
}

TEST(DiskSpaceTest, ReportsTheSpaceOfTheFileSystemHoldingAPath) {
    TempDir dir;
    ULARGE_INTEGER free {}, total {}, totalFree {};
    ASSERT_TRUE(GetDiskFreeSpaceExW(Wide(dir.Path()).c_str(), &free, &total, &totalFree));
    EXPECT_GT(total.QuadPart, 0u);
    EXPECT_LE(free.QuadPart, totalFree.QuadPart);
    EXPECT_LE(totalFree.QuadPart, total.QuadPart);
    EXPECT_FALSE(GetDiskFreeSpaceExW(Wide(dir.File("no/such/folder")).c_str(), &free, nullptr, nullptr));
}

TEST(WinExecTest, StartsACommandWithoutWaitingForIt) {
    TempDir dir;
    const std::string marker = dir.File("ran");
    const ULONGLONG start = GetTickCount64();
    const UINT result = WinExec(("/bin/sh -c \"sleep 0.3; touch '" + marker + "'\"").c_str(), SW_SHOWNORMAL);
    EXPECT_GT(result, 31u);
    EXPECT_LT(GetTickCount64() - start, 250u) << "WinExec waited for the command";
    for (int i = 0; i < 200 && access(marker.c_str(), F_OK) != 0; ++i) Sleep(20);
    EXPECT_EQ(access(marker.c_str(), F_OK), 0);
}

TEST(WinExecTest, ReportsAMissingProgram) {
    EXPECT_EQ(WinExec("\"/no/such/uninstall\" --all", SW_SHOWNORMAL), UINT(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(WinExec("no-such-program-anywhere", SW_SHOWNORMAL), UINT(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(WinExec("", SW_SHOWNORMAL), UINT(ERROR_FILE_NOT_FOUND));
}

TEST(TextTest, ConvertsBothWaysAndReplacesMalformedInput) {
    const std::wstring wide = L"Caf\u00e9 \u6a5f \U0001F3AC";
    EXPECT_EQ(Utf8ToWide(WideToUtf8(wide)), wide);
    EXPECT_EQ(Utf8ToWide("a\xC3"), L"a\uFFFD");        // cut short
    EXPECT_EQ(Utf8ToWide("\xC0\xAF"), L"\uFFFD");      // over-long form
    EXPECT_EQ(Utf8ToWide("\xED\xA0\x80"), L"\uFFFD");  // encoded surrogate
    EXPECT_EQ(WideToUtf8(std::wstring(1, wchar_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(movanta::NativePath(L"C:\\Movanta\\Localization"), "C:/Movanta/Localization");
}

TEST(DebugOutputTest, WritesOnlyWhenTheEnvironmentAsks) {
    std::string output;
    unsetenv("MOVANTA_DEBUG_OUTPUT");
    EXPECT_EQ(movanta::testing::Run({WIN_HELPER_PATH, "debug-output", " E_FAIL \n"}, &output), 0);
    EXPECT_EQ(output, "");
    setenv("MOVANTA_DEBUG_OUTPUT", "1", 1);
    EXPECT_EQ(movanta::testing::Run({WIN_HELPER_PATH, "debug-output", " E_FAIL \n"}, &output), 0);
    unsetenv("MOVANTA_DEBUG_OUTPUT");
    EXPECT_EQ(output, " E_FAIL \n");
}

}  // namespace
