// The system clock: a reference clock on the monotonic system time, with
// one advise thread that signals events when their times come. A steered
// clock (CSteeredClock) runs at an offset from that time which its owner
// moves slowly, so that it can follow another time base, such as a sound
// device, without ever running backwards.
#pragma once

#include <atomic>
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

protected:
    // Added to the system time; changed only by CSteeredClock.
    std::atomic<REFERENCE_TIME> offset_ {0};

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

class CSteeredClock final : public CSystemClock {
public:
    CSteeredClock(LPCWSTR name, LPUNKNOWN outer, HRESULT* result) : CSystemClock(name, outer, result) {}
    static CUnknown* CreateInstance(LPUNKNOWN outer, HRESULT* result);

    // Told that the clock is `error` behind the time it follows (ahead when
    // negative), moves it part of the way, and never by more than 5% of the
    // system time since the last call, so the clock keeps running forwards.
    void Steer(REFERENCE_TIME error);
    // How far the clock has been moved from the system time in all.
    REFERENCE_TIME Offset() const { return offset_; }

private:
    std::mutex steerLock_;
    REFERENCE_TIME lastSteer_ = 0;  // guarded by steerLock_
    double rate_ = 0;               // the pace learnt, guarded by steerLock_
};
