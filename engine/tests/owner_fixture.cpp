#include "owner_fixture.h"

namespace movanta::engine::enginetest {
namespace {

std::vector<Message>* g_received = nullptr;

LRESULT RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_TRX_MEDIA_START && message <= WM_TRX_AUDIO_ERROR && g_received != nullptr) {
        g_received->push_back({message, wParam, lParam});
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void OwnerFixture::SetUp() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW windowClass {};
        windowClass.lpfnWndProc = RecordingProc;
        windowClass.lpszClassName = L"EngineTestOwner";
        RegisterClassW(&windowClass);
        registered = true;
    }
    g_received = &received_;
    owner_ = CreateWindowExW(0, L"EngineTestOwner", L"", 0, 0, 0, 320, 240, nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(TrxInit(kInstance, owner_), TRX_OK);
}

void OwnerFixture::TearDown() {
    TrxTEnd();
    DestroyWindow(owner_);
    g_received = nullptr;
}

void OwnerFixture::Register(const char* path) {
    std::string error;
    ASSERT_EQ(RegisterServerFile(path, true, error), ServerFileResult::Done) << error;
}

std::wstring OwnerFixture::File(const std::string& name, const std::string& contents) {
    std::ofstream(dir_.File(name), std::ios::binary) << contents;
    return Utf8ToWide(dir_.File(name));
}

bool OwnerFixture::WaitFor(UINT message, void* handle, ULONGLONG milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    while (GetTickCount64() < end) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        for (const Message& m : received_) {
            if (m.message == message && m.wParam == reinterpret_cast<WPARAM>(handle)) return true;
        }
        Sleep(2);
    }
    return false;
}

std::vector<UINT> OwnerFixture::MessagesOf(void* handle) const {
    std::vector<UINT> codes;
    for (const Message& m : received_) {
        if (m.wParam == reinterpret_cast<WPARAM>(handle)) codes.push_back(m.message);
    }
    return codes;
}

LPARAM OwnerFixture::ParameterOf(void* handle, UINT message) const {
    for (const Message& m : received_) {
        if (m.wParam == reinterpret_cast<WPARAM>(handle) && m.message == message) return m.lParam;
    }
    return -1;
}

}  // namespace movanta::engine::enginetest
