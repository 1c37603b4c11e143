#include "win/thread.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <thread>

#include "win/kernel_object.h"

namespace movanta::win {
namespace {

class Thread : public KernelObject {
public:
    bool Signaled() const override { return finished_; }
    void Finish(DWORD code) {
        {
            std::lock_guard guard(SyncMutex());
            exitCode_ = code;
            finished_ = true;
        }
        SyncCondition().notify_all();
    }
    DWORD ExitCode() const {
        std::lock_guard guard(SyncMutex());
        return finished_ ? exitCode_ : STILL_ACTIVE;
    }

private:
    bool finished_ = false;  // guarded by SyncMutex()
    DWORD exitCode_ = 0;     // guarded by SyncMutex()
};

thread_local DWORD t_lastError = 0;

}  // namespace
}  // namespace movanta::win

using namespace movanta::win;

DWORD GetLastError() {
    return t_lastError;
}
void SetLastError(DWORD error) {
    t_lastError = error;
}

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE routine, LPVOID parameter, DWORD,
                    LPDWORD threadId) {
    if (routine == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto thread = std::make_shared<Thread>();
    std::mutex idLock;
    std::condition_variable idReady;
    DWORD newId = 0;
    try {
        std::thread([thread, routine, parameter, &idLock, &idReady, &newId] {
            {
                // Notified under the lock: CreateThread's locals die once it sees the id.
                std::lock_guard guard(idLock);
                newId = GetCurrentThreadId();
                idReady.notify_one();
            }
            thread->Finish(routine(parameter));
        }).detach();
    } catch (const std::system_error&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::unique_lock lock(idLock);
    idReady.wait(lock, [&] { return newId != 0; });
    if (threadId != nullptr) *threadId = newId;
    return InsertHandle(thread);
}

BOOL GetExitCodeThread(HANDLE handle, LPDWORD exitCode) {
    auto thread = LookupHandleAs<Thread>(handle);
    if (!thread || exitCode == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *exitCode = thread->ExitCode();
    return TRUE;
}

DWORD GetCurrentThreadId() {
    static thread_local DWORD id = static_cast<DWORD>(syscall(SYS_gettid));
    return id;
}

DWORD GetCurrentProcessId() {
    return static_cast<DWORD>(getpid());
}

void Sleep(DWORD milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

ULONGLONG GetTickCount64() {
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<ULONGLONG>(now.tv_sec) * 1000u + static_cast<ULONGLONG>(now.tv_nsec / 1000000);
}

DWORD GetTickCount() {
    return static_cast<DWORD>(GetTickCount64());
}
