// The system clock: a reference clock on the monotonic system time, with
// one advise thread that signals events when their times come.
#pragma once

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "dshow/interfaces.h"

class CSystemClock : public CUnknown, public IReferenceClock {
public:
    CSystemClock(LPCWSTR name, LPUNKNOWN outer, HRESULT* result);
    ~CSystemClock() override;
    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID iid, void** object) override;

    HRESULT GetTime(REFERENCE_TIME* time) override;
    // `event` is a platform event HANDLE, signalled once at base + stream.
    HRESULT AdviseTime(REFERENCE_TIME baseTime, REFERENCE_TIME streamTime, HEVENT event, DWORD_PTR* cookie) override;
    // `semaphore` is a platform event HANDLE, signalled at start and every period after.
    HRESULT AdvisePeriodic(REFERENCE_TIME start, REFERENCE_TIME period, HSEMAPHORE semaphore,
                           DWORD_PTR* cookie) override;
    HRESULT Unadvise(DWORD_PTR cookie) override;

    static REFERENCE_TIME Now();

private:
    struct Advice {
        REFERENCE_TIME due;
        REFERENCE_TIME period;  // 0 for a single advice
        HANDLE event;
    };
    void Loop();
    HRESULT Add(const Advice& advice, DWORD_PTR* cookie);

    std::mutex lock_;
    std::condition_variable changed_;
    std::map<DWORD_PTR, Advice> advices_;  // guarded by lock_
    DWORD_PTR nextCookie_ = 1;             // guarded by lock_
    bool stopping_ = false;                // guarded by lock_
    std::thread thread_;
};
