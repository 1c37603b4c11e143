// Kernel objects behind HANDLE values: events, threads and files share one
// handle table. Internal to the platform layer.
//
// Waitable state (Signaled, OnWaitSatisfied and whatever they read) is guarded
// by the one SyncMutex(); every change to it notifies SyncCondition(), so
// WaitForMultipleObjects can wait on any mix of objects.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>

#include "win/wintypes.h"

namespace movanta::win {

class KernelObject {
public:
    virtual ~KernelObject() = default;
    // Called with SyncMutex() held.
    virtual bool Signaled() const { return false; }
    // Called with SyncMutex() held when a wait is satisfied by this object
    // (an auto-reset event clears itself here).
    virtual void OnWaitSatisfied() {}
};

std::mutex& SyncMutex();
std::condition_variable& SyncCondition();

// The table holds one reference per handle until CloseHandle.
HANDLE InsertHandle(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> LookupHandle(HANDLE handle);

template <class T>
std::shared_ptr<T> LookupHandleAs(HANDLE handle) {
    return std::dynamic_pointer_cast<T>(LookupHandle(handle));
}

}  // namespace movanta::win
