// Skin packages for the tests: a script and flat BMP pictures packed into
// a package file in a temporary folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "testing/testing.h"

struct TestPicture {
    std::string name;
    int width;
    int height;
    int bitCount;  // 8 (grey palette) or 24
    std::uint8_t fill;
};

// A bottom-up BMP of the depth with every byte `fill`.
void WriteBmp(const std::string& path, int width, int height, int bitCount, std::uint8_t fill);
// The package's path.
std::wstring MakePackage(const movanta::testing::TempDir& dir, const std::string& script,
                         const std::vector<TestPicture>& pictures);
