#include "win/kernel_object.h"

#include <chrono>
#include <unordered_map>

#include "win/sync.h"

namespace movanta::win {
namespace {

struct HandleTable {
    std::mutex lock;
    std::unordered_map<ULONG_PTR, std::shared_ptr<KernelObject>> objects;
    ULONG_PTR next = 0x100;
};

HandleTable& Table() {
    static HandleTable table;
    return table;
}

}  // namespace

std::mutex& SyncMutex() {
    static std::mutex mutex;
    return mutex;
}

std::condition_variable& SyncCondition() {
    static std::condition_variable condition;
    return condition;
}

HANDLE InsertHandle(std::shared_ptr<KernelObject> object) {
    HandleTable& table = Table();
    std::lock_guard guard(table.lock);
    const ULONG_PTR value = table.next;
    table.next += 4;
    table.objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> LookupHandle(HANDLE handle) {
    HandleTable& table = Table();
    std::lock_guard guard(table.lock);
    auto it = table.objects.find(reinterpret_cast<ULONG_PTR>(handle));
    return it == table.objects.end() ? nullptr : it->second;
}

}  // namespace movanta::win

using namespace movanta::win;

BOOL CloseHandle(HANDLE handle) {
    std::shared_ptr<KernelObject> released;  // destroyed outside the table lock
    {
        auto& table = movanta::win::Table();
        std::lock_guard guard(table.lock);
        auto it = table.objects.find(reinterpret_cast<ULONG_PTR>(handle));
        if (it == table.objects.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        released = std::move(it->second);
        table.objects.erase(it);
    }
    return TRUE;
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds) {
    if (count == 0 || handles == nullptr || count > MAXIMUM_WAIT_OBJECTS) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::shared_ptr<KernelObject> objects[MAXIMUM_WAIT_OBJECTS];
    for (DWORD i = 0; i < count; ++i) {
        objects[i] = LookupHandle(handles[i]);
        if (!objects[i]) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    std::unique_lock lock(SyncMutex());
    for (;;) {
        if (waitAll) {
            bool all = true;
            for (DWORD i = 0; i < count && all; ++i) all = objects[i]->Signaled();
            if (all) {
                for (DWORD i = 0; i < count; ++i) objects[i]->OnWaitSatisfied();
                return WAIT_OBJECT_0;
            }
        } else {
            for (DWORD i = 0; i < count; ++i) {
                if (objects[i]->Signaled()) {
                    objects[i]->OnWaitSatisfied();
                    return WAIT_OBJECT_0 + i;
                }
            }
        }
        if (milliseconds == INFINITE) {
            SyncCondition().wait(lock);
        } else if (std::chrono::steady_clock::now() >= deadline) {
            return WAIT_TIMEOUT;
        } else {
            SyncCondition().wait_until(lock, deadline);
        }
    }
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    return WaitForMultipleObjects(1, &handle, FALSE, milliseconds);
}
