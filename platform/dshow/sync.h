// Locks and events of the filter base classes.
#pragma once

#include <atomic>
#include <mutex>

#include "win/sync.h"
#include "win/thread.h"

// A recursive lock that knows which thread holds it.
class CCritSec {
public:
    CCritSec() = default;
    CCritSec(const CCritSec&) = delete;
    CCritSec& operator=(const CCritSec&) = delete;
    void Lock() {
        mutex_.lock();
        if (depth_++ == 0) owner_ = GetCurrentThreadId();
    }
    void Unlock() {
        if (--depth_ == 0) owner_ = 0;
        mutex_.unlock();
    }
    // True when the calling thread holds the lock.
    bool IsHeldByMe() const { return owner_.load() == GetCurrentThreadId(); }

private:
    std::recursive_mutex mutex_;
    std::atomic<DWORD> owner_ {0};
    int depth_ = 0;  // guarded by mutex_
};

class CAutoLock {
public:
    explicit CAutoLock(CCritSec* lock) : lock_(lock) { lock_->Lock(); }
    ~CAutoLock() { lock_->Unlock(); }
    CAutoLock(const CAutoLock&) = delete;
    CAutoLock& operator=(const CAutoLock&) = delete;

private:
    CCritSec* lock_;
};

// An event of the platform (so it can be waited on with other handles).
class CAMEvent {
public:
    explicit CAMEvent(BOOL manualReset = FALSE) : event_(CreateEventW(nullptr, manualReset, FALSE, nullptr)) {}
    ~CAMEvent() { CloseHandle(event_); }
    CAMEvent(const CAMEvent&) = delete;
    CAMEvent& operator=(const CAMEvent&) = delete;
    operator HANDLE() const { return event_; }
    void Set() { SetEvent(event_); }
    void Reset() { ResetEvent(event_); }
    BOOL Wait(DWORD milliseconds = INFINITE) { return WaitForSingleObject(event_, milliseconds) == WAIT_OBJECT_0; }
    BOOL Check() { return Wait(0); }

private:
    HANDLE event_;
};
