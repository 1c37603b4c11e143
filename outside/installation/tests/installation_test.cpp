// The start-up checks against a private registry and the build's plug-ins
// (which lie in "plugins" beside the library, as in an installation).
#include <gtest/gtest.h>

#include <cstdlib>

#include "com/guid.h"
#include "dshow/platform_filters.h"
#include "installation/installation.h"
#include "registry/registry_strings.h"
#include "testing/testing.h"
#include "win/text.h"

namespace {

std::wstring ServerKey(REFCLSID clsid) {
    return movanta::Utf8ToWide("CLSID\\" + movanta::GuidToString(clsid) + "\\InprocServer32");
}

TEST(Installation, RegistersWhatIsMissingAndTheMediaLayerThenWorks) {
    const movanta::testing::ScopedRegistry registry;
    EXPECT_LT(ZINTChkDirectX(), 90u) << "nothing is registered yet";

    EXPECT_TRUE(ZINTChkAndRegFiles());
    EXPECT_GE(ZINTChkDirectX(), 90u);

    // A half-registered installation: one class's registration deleted.
    ASSERT_EQ(RegDeleteTreeW(HKEY_CLASSES_ROOT, movanta::Utf8ToWide(
                                                    "CLSID\\" + movanta::GuidToString(
                                                                    movanta::dshow::CLSID_MovantaVideoDecoder))
                                                    .c_str()),
              ERROR_SUCCESS);
    EXPECT_LT(ZINTChkDirectX(), 90u) << "the video decoder is needed";
    EXPECT_TRUE(ZINTChkAndRegFiles());
    EXPECT_GE(ZINTChkDirectX(), 90u);
}

TEST(Installation, AMovedInstallationRepairsItself) {
    const movanta::testing::ScopedRegistry registry;
    ASSERT_TRUE(ZINTChkAndRegFiles());
    const std::wstring key = ServerKey(movanta::dshow::CLSID_MovantaFileSource);
    const auto real = movanta::ReadRegString(HKEY_CLASSES_ROOT, key, nullptr);
    ASSERT_TRUE(real);

    HKEY server = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_ALL_ACCESS, &server), ERROR_SUCCESS);
    movanta::WriteRegString(server, nullptr, L"/opt/old-place/lib/movanta/plugins/avsource.so");
    RegCloseKey(server);
    EXPECT_LT(ZINTChkDirectX(), 90u) << "the file source cannot be loaded from where it was";

    EXPECT_TRUE(ZINTChkAndRegFiles());
    EXPECT_EQ(movanta::ReadRegString(HKEY_CLASSES_ROOT, key, nullptr), real);
    EXPECT_GE(ZINTChkDirectX(), 90u);
}

TEST(Installation, ARegistryThatCannotBeWrittenIsAFailureNotACrash) {
    const movanta::testing::TempDir dir;
    const movanta::testing::ScopedRegistry registry;
    // The hives' folder lies below a plain file, so nothing can be written.
    setenv("MOVANTA_REGISTRY_DIR", (dir.File("file") + "/hives").c_str(), 1);
    std::FILE* file = std::fopen(dir.File("file").c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    EXPECT_FALSE(ZINTChkAndRegFiles());
    EXPECT_FALSE(ZINTChkAndRegFiles());
    EXPECT_LT(ZINTChkDirectX(), 90u);
}

}  // namespace
