// A fixture for tests that drive the engine through its exports: a
// headless owner window that records the WM_TRX_* messages it receives,
// the engine initialised with it, and a registry and folder of the test's own.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "com/server_file.h"
#include "engine/convengine.h"
#include "testing/testing.h"
#include "win/text.h"
#include "win/windows.h"

namespace movanta::engine::enginetest {

struct Message {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class OwnerFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Registers the plug-in at `path` in the test's registry.
    void Register(const char* path);
    // Writes a file into the test's folder; its path.
    std::wstring File(const std::string& name, const std::string& contents);
    // Handles messages until `message` has arrived for `handle`, for
    // `milliseconds` at most.
    bool WaitFor(UINT message, void* handle, ULONGLONG milliseconds = 5000);
    std::vector<UINT> MessagesOf(void* handle) const;
    LPARAM ParameterOf(void* handle, UINT message) const;

    static inline const HINSTANCE kInstance = reinterpret_cast<HINSTANCE>(0x400000);
    movanta::testing::ScopedRegistry registry_;
    movanta::testing::TempDir dir_;
    std::vector<Message> received_;
    HWND owner_ = nullptr;
};

}  // namespace movanta::engine::enginetest
