// Window messages: posting across threads, sending, timers, quitting and the
// window table.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "testing/testing.h"
#include "win/windows.h"

namespace {

constexpr UINT kNumbered = WM_APP + 1;  // wParam: sender, lParam: sequence number
constexpr UINT kAskThread = WM_APP + 2;

struct Received {
    std::vector<std::pair<WPARAM, LPARAM>> numbered;
    std::vector<DWORD> threads;
    int timers = 0;
};

LRESULT RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* received = reinterpret_cast<Received*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case kNumbered:
            received->numbered.emplace_back(wParam, lParam);
            received->threads.push_back(GetCurrentThreadId());
            return 0;
        case kAskThread: return static_cast<LRESULT>(GetCurrentThreadId()) + static_cast<LRESULT>(wParam);
        case WM_TIMER: ++received->timers; return 0;
        default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

class MessagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        static bool registered = false;
        if (!registered) {
            WNDCLASSW windowClass {};
            windowClass.lpfnWndProc = RecordingProc;
            windowClass.lpszClassName = L"MovantaTestWindow";
            ASSERT_NE(RegisterClassW(&windowClass), 0);
            registered = true;
        }
    }

    HWND Create(Received& received, LPCWSTR title = L"test") {
        HWND window =
            CreateWindowExW(0, L"MovantaTestWindow", title, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&received));
        return window;
    }

    // Handles messages until `done` or a two-second limit.
    static void Pump(const std::function<bool()>& done) {
        const DWORD start = GetTickCount();
        MSG msg;
        while (!done() && GetTickCount() - start < 2000) {
            if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageW(&msg);
            } else {
                Sleep(1);
            }
        }
    }
};

TEST_F(MessagesTest, PostsFromManyThreadsArriveInOrderOnTheOwnersThread) {
    Received received;
    HWND window = Create(received);
    constexpr int kThreads = 4;
    constexpr int kEach = 500;
    std::vector<std::thread> senders;
    for (int t = 0; t < kThreads; ++t) {
        senders.emplace_back([=] {
            for (int i = 0; i < kEach; ++i) ASSERT_TRUE(PostMessageW(window, kNumbered, t, i));
        });
    }
    for (auto& sender : senders) sender.join();
    Pump([&] { return received.numbered.size() == kThreads * kEach; });

    ASSERT_EQ(received.numbered.size(), size_t {kThreads * kEach});
    std::vector<LPARAM> next(kThreads, 0);
    for (const auto& [sender, number] : received.numbered) EXPECT_EQ(number, next[sender]++) << "sender " << sender;
    for (DWORD thread : received.threads) EXPECT_EQ(thread, GetCurrentThreadId());
    DestroyWindow(window);
}

TEST_F(MessagesTest, SendFromAnotherThreadRunsOnTheOwnerAndReturnsItsAnswer) {
    Received received;
    HWND window = Create(received);
    std::atomic<LRESULT> answer {0};
    std::thread sender([&] { answer = SendMessageW(window, kAskThread, 7, 0); });
    Pump([&] { return answer.load() != 0; });
    sender.join();
    EXPECT_EQ(answer.load(), static_cast<LRESULT>(GetCurrentThreadId()) + 7);
    // Within the owner's thread a send is a direct call.
    EXPECT_EQ(SendMessageW(window, kAskThread, 1, 0), static_cast<LRESULT>(GetCurrentThreadId()) + 1);
    DestroyWindow(window);
}

TEST_F(MessagesTest, ThreadsSendingToEachOtherDoNotDeadlock) {
    // The worker's window answers by sending back to the main thread's window
    // while the main thread is itself waiting in a send to the worker.
    Received mainReceived;
    HWND mainWindow = Create(mainReceived);
    std::atomic<HWND> workerWindow {nullptr};
    std::atomic<bool> stop {false};
    static std::atomic<HWND> s_mainWindow;
    s_mainWindow = mainWindow;
    std::thread worker([&] {
        WNDCLASSW windowClass {};
        windowClass.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            if (m == kAskThread) return SendMessageW(s_mainWindow, kAskThread, wp, 0) + 1;
            return DefWindowProcW(w, m, wp, lp);
        };
        windowClass.lpszClassName = L"MovantaEchoWindow";
        RegisterClassW(&windowClass);
        workerWindow = CreateWindowExW(0, L"MovantaEchoWindow", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        MSG msg;
        while (!stop) {
            if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            Sleep(1);
        }
        DestroyWindow(workerWindow);
    });
    while (workerWindow.load() == nullptr) Sleep(1);
    EXPECT_EQ(SendMessageW(workerWindow, kAskThread, 5, 0), static_cast<LRESULT>(GetCurrentThreadId()) + 5 + 1);
    stop = true;
    worker.join();
    DestroyWindow(mainWindow);
}

TEST_F(MessagesTest, PostingToAWindowOfAnEndedThreadFails) {
    HWND orphan = nullptr;
    std::thread creator([&] {
        static Received unused;
        orphan = Create(unused);
    });
    creator.join();
    EXPECT_FALSE(IsWindow(orphan));
    EXPECT_FALSE(PostMessageW(orphan, kNumbered, 0, 0));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(MessagesTest, TimersTickUntilKilled) {
    Received received;
    HWND window = Create(received);
    ASSERT_EQ(SetTimer(window, 42, 20, nullptr), UINT_PTR {42});
    Pump([&] { return received.timers >= 3; });
    EXPECT_GE(received.timers, 3);
    EXPECT_TRUE(KillTimer(window, 42));
    const int ticks = received.timers;
    Pump([] { return false; });  // two seconds without the timer
    EXPECT_EQ(received.timers, ticks);
    EXPECT_FALSE(KillTimer(window, 42));
    DestroyWindow(window);
}

TEST_F(MessagesTest, ThreadTimerCallsItsProcedure) {
    static std::atomic<int> calls {0};
    calls = 0;
    const UINT_PTR id = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) { ++calls; });
    ASSERT_NE(id, UINT_PTR {0});
    Pump([] { return calls >= 2; });
    EXPECT_GE(calls.load(), 2);
    KillTimer(nullptr, id);
}

TEST_F(MessagesTest, QuitComesAfterMessagesAlreadyPosted) {
    Received received;
    HWND window = Create(received);
    PostMessageW(window, kNumbered, 0, 1);
    PostQuitMessage(3);
    PostMessageW(window, kNumbered, 0, 2);
    MSG msg;
    int handled = 0;
    while (GetMessageW(&msg, nullptr, 0, 0)) {
        DispatchMessageW(&msg);
        ++handled;
    }
    EXPECT_EQ(handled, 2);
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, WPARAM {3});
    DestroyWindow(window);
}

TEST_F(MessagesTest, ReplacedProcedureSeesMessagesAndCanCallTheOldOne) {
    Received received;
    HWND window = Create(received);
    static WNDPROC s_old = nullptr;
    static int s_seen = 0;
    s_seen = 0;
    s_old = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            ++s_seen;
            return CallWindowProcW(s_old, w, m, wp, lp);
        })));
    EXPECT_EQ(s_old, RecordingProc);
    EXPECT_EQ(SendMessageW(window, kAskThread, 0, 0), static_cast<LRESULT>(GetCurrentThreadId()));
    EXPECT_EQ(s_seen, 1);
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s_old));
    DestroyWindow(window);
}

TEST_F(MessagesTest, FindsTopLevelWindowsByClassOrTitleAndCloseDestroys) {
    Received received;
    HWND window = Create(received, L"Movanta");
    WCHAR name[64];
    EXPECT_EQ(GetClassNameW(window, name, 64), 17);
    EXPECT_STREQ(name, L"MovantaTestWindow");
    EXPECT_EQ(FindWindowW(L"movantatestwindow", nullptr), window);
    EXPECT_EQ(FindWindowA(nullptr, "Movanta"), window);
    EXPECT_EQ(FindWindowW(nullptr, L"movanta"), nullptr);  // titles compare exactly
    EXPECT_EQ(GetClassNameW(window, name, 8), 7);          // truncated with a terminating zero
    EXPECT_STREQ(name, L"Movanta");
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(FindWindowW(nullptr, L"Movanta"), nullptr);
}

TEST_F(MessagesTest, CreationRefusedByTheProcedureGivesNoWindow) {
    WNDCLASSW windowClass {};
    windowClass.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        return m == WM_CREATE ? -1 : DefWindowProcW(w, m, wp, lp);
    };
    windowClass.lpszClassName = L"MovantaRefusingWindow";
    ASSERT_NE(RegisterClassW(&windowClass), 0);
    EXPECT_EQ(RegisterClassW(&windowClass), 0);
    EXPECT_EQ(CreateWindowExW(0, L"MovantaRefusingWindow", L"x", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(FindWindowW(L"MovantaRefusingWindow", nullptr), nullptr);
    EXPECT_EQ(CreateWindowExW(0, L"NoSuchClass", L"x", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST(RegisteredMessages, OneNumberForANameInEveryProcess) {
    movanta::testing::TempDir runtime;
    const char* previous = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = previous != nullptr ? previous : "";
    setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    const UINT alpha = RegisterWindowMessageW(L"Movanta-Test-Alpha");
    EXPECT_GE(alpha, 0xC000u);
    EXPECT_EQ(RegisterWindowMessageW(L"movanta-test-ALPHA"), alpha) << "any letter case";
    const UINT gamma = RegisterWindowMessageW(L"Movanta-Test-Gamma");
    EXPECT_NE(gamma, alpha);
    auto inChild = [](const char* name) {
        movanta::testing::Child child({WIN_HELPER_PATH, "register-message", name});
        const std::string line = child.ReadLine();
        child.Wait();
        return static_cast<UINT>(std::stoul(line));
    };
    EXPECT_EQ(inChild("Movanta-Test-Alpha"), alpha) << "another process, the same number";
    const UINT beta = inChild("Movanta-Test-Beta");
    EXPECT_GE(beta, 0xC000u);
    EXPECT_NE(beta, alpha);
    EXPECT_NE(beta, gamma);
    EXPECT_EQ(RegisterWindowMessageW(L"MOVANTA-TEST-BETA"), beta) << "a name another process registered";
    EXPECT_EQ(RegisterWindowMessageW(L""), 0u);
    EXPECT_EQ(RegisterWindowMessageW(std::wstring(256, L'x').c_str()), 0u);
    if (previous != nullptr) {
        setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    } else {
        unsetenv("XDG_RUNTIME_DIR");
    }
}

}  // namespace
