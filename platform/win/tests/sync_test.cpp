// Events, waits, threads and named events across processes.
#include <gtest/gtest.h>

#include <signal.h>

#include <atomic>
#include <string>

#include "testing/testing.h"
#include "win/windows.h"

namespace {

std::wstring UniqueName(const char* base) {
    return movanta::Utf8ToWide(std::string(base) + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                               std::to_string(GetTickCount64()));
}

TEST(EventTest, ManualResetStaysSignalledUntilReset) {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    SetEvent(event);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    ResetEvent(event);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(CloseHandle(event));
    EXPECT_FALSE(CloseHandle(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
}

TEST(EventTest, AutoResetReleasesOneWaitAtATime) {
    HANDLE event = CreateEventW(nullptr, FALSE, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    CloseHandle(event);
}

TEST(EventTest, TimeOutWaitsAtLeastTheTimeGiven) {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(WaitForSingleObject(event, 120), WAIT_TIMEOUT);
    const ULONGLONG waited = GetTickCount64() - start;
    EXPECT_GE(waited, 119u);
    EXPECT_LT(waited, 2000u);
    CloseHandle(event);
}

TEST(EventTest, SetFromAnotherThreadWakesTheWaiter) {
    HANDLE events[2] = {CreateEventW(nullptr, TRUE, FALSE, nullptr), CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](LPVOID parameter) -> DWORD {
            Sleep(30);
            SetEvent(static_cast<HANDLE*>(parameter)[1]);
            return 0;
        },
        events, 0, nullptr);
    EXPECT_EQ(WaitForMultipleObjects(2, events, FALSE, 5000), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(WaitForMultipleObjects(2, events, TRUE, 50), WAIT_TIMEOUT);
    SetEvent(events[0]);
    EXPECT_EQ(WaitForMultipleObjects(2, events, TRUE, 0), WAIT_OBJECT_0);
    WaitForSingleObject(thread, INFINITE);
    for (HANDLE h : {events[0], events[1], thread}) CloseHandle(h);
}

TEST(ThreadTest, HandleIsSignalledWithTheExitCodeWhenTheThreadEnds) {
    static HANDLE s_go = nullptr;
    s_go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD id = 0;
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](LPVOID) -> DWORD {
            WaitForSingleObject(s_go, INFINITE);
            return 17;
        },
        nullptr, 0, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_NE(id, GetCurrentThreadId());
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(WaitForSingleObject(thread, 50), WAIT_TIMEOUT);
    SetEvent(s_go);
    EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 17u);
    CloseHandle(thread);
    CloseHandle(s_go);
}

TEST(NamedEventTest, SameNameInOneProcessIsTheSameEvent) {
    const std::wstring name = UniqueName("same");
    HANDLE first = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
    EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
    HANDLE second = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    HANDLE opened = OpenEventW(EVENT_ALL_ACCESS, TRUE, name.c_str());
    ASSERT_NE(opened, nullptr);
    SetEvent(opened);
    EXPECT_EQ(WaitForSingleObject(first, 0), WAIT_OBJECT_0);
    for (HANDLE h : {first, second, opened}) CloseHandle(h);
    EXPECT_EQ(OpenEventW(EVENT_ALL_ACCESS, TRUE, name.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
}

TEST(NamedEventTest, VisibleToOtherProcessesUntilTheHolderIsKilled) {
    const std::wstring name = UniqueName("Launch Check/1");
    EXPECT_EQ(OpenEventW(EVENT_ALL_ACCESS, TRUE, name.c_str()), nullptr);
    movanta::testing::Child holder({WIN_HELPER_PATH, "hold-event", movanta::WideToUtf8(name)});
    ASSERT_EQ(holder.ReadLine(), "ready");

    HANDLE seen = OpenEventW(EVENT_ALL_ACCESS, TRUE, name.c_str());
    EXPECT_NE(seen, nullptr);
    HANDLE created = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    CloseHandle(seen);
    CloseHandle(created);

    holder.Kill(SIGKILL);
    holder.Wait();
    EXPECT_EQ(OpenEventW(EVENT_ALL_ACCESS, TRUE, name.c_str()), nullptr);
    HANDLE mine = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
    EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
    CloseHandle(mine);
}

}  // namespace
