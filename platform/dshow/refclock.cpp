#include "dshow/refclock.h"

#include <algorithm>
#include <cmath>
#include <ctime>

#include "win/sync.h"

CSystemClock::CSystemClock(LPCWSTR name, LPUNKNOWN outer, HRESULT*) : CUnknown(name, outer) {}

CSystemClock::~CSystemClock() {
    {
        std::lock_guard guard(lock_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

CUnknown* CSystemClock::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    return NewComObject<CSystemClock>(result, L"System clock", outer, result);
}

HRESULT CSystemClock::NonDelegatingQueryInterface(REFIID iid, void** object) {
    if (iid == IID_IReferenceClock) return GetInterface(static_cast<IReferenceClock*>(this), object);
    return CUnknown::NonDelegatingQueryInterface(iid, object);
}

REFERENCE_TIME CSystemClock::Now() {
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<REFERENCE_TIME>(now.tv_sec) * UNITS + now.tv_nsec / 100;
}

HRESULT CSystemClock::GetTime(REFERENCE_TIME* time) {
    if (time == nullptr) return E_POINTER;
    *time = Now() + offset_;
    return S_OK;
}

HRESULT CSystemClock::Add(const Advice& advice, DWORD_PTR* cookie) {
    if (cookie == nullptr) return E_POINTER;
    if (advice.event == nullptr) return E_INVALIDARG;
    {
        std::lock_guard guard(lock_);
        *cookie = nextCookie_++;
        advices_[*cookie] = advice;
        if (!thread_.joinable()) thread_ = std::thread([this] { Loop(); });
    }
    changed_.notify_all();
    return S_OK;
}

HRESULT CSystemClock::AdviseTime(REFERENCE_TIME baseTime, REFERENCE_TIME streamTime, HEVENT event, DWORD_PTR* cookie) {
    if (baseTime < 0 || streamTime < 0) return E_INVALIDARG;
    return Add({baseTime + streamTime, 0, reinterpret_cast<HANDLE>(event)}, cookie);
}

HRESULT CSystemClock::AdvisePeriodic(REFERENCE_TIME start, REFERENCE_TIME period, HSEMAPHORE semaphore,
                                     DWORD_PTR* cookie) {
    if (start < 0 || period <= 0) return E_INVALIDARG;
    return Add({start, period, reinterpret_cast<HANDLE>(semaphore)}, cookie);
}

HRESULT CSystemClock::Unadvise(DWORD_PTR cookie) {
    std::lock_guard guard(lock_);
    return advices_.erase(cookie) > 0 ? S_OK : S_FALSE;
}

void CSystemClock::Loop() {
    std::unique_lock lock(lock_);
    while (!stopping_) {
        const REFERENCE_TIME now = Now() + offset_;
        REFERENCE_TIME next = now + UNITS;  // look again within a second at most
        for (auto it = advices_.begin(); it != advices_.end();) {
            Advice& advice = it->second;
            if (advice.due <= now) {
                SetEvent(advice.event);
                if (advice.period == 0) {
                    it = advices_.erase(it);
                    continue;
                }
                while (advice.due <= now) advice.due += advice.period;
            }
            if (advice.due < next) next = advice.due;
            ++it;
        }
        changed_.wait_for(lock, std::chrono::microseconds((next - now) / 10 + 1));
    }
}

CUnknown* CSteeredClock::CreateInstance(LPUNKNOWN outer, HRESULT* result) {
    return NewComObject<CSteeredClock>(result, L"Steered clock", outer, result);
}

void CSteeredClock::Steer(REFERENCE_TIME error) {
    // A proportional and integral follower: the integral learns how much
    // faster or slower than the system the followed time runs, so a steady
    // difference of pace leaves no lasting distance; both settle within
    // about a second.
    constexpr double kProportional = 0.5 * UNITS;  // time to take up a distance
    constexpr double kIntegral = 1.0 * UNITS;
    constexpr double kMaxRate = 0.05;
    std::lock_guard guard(steerLock_);
    const REFERENCE_TIME now = Now();
    const double elapsed = lastSteer_ == 0 ? 0.0 : std::min<double>(static_cast<double>(now - lastSteer_), UNITS);
    lastSteer_ = now;
    rate_ = std::clamp(rate_ + error * elapsed / (kIntegral * kIntegral), -kMaxRate, kMaxRate);
    const double step = error * std::min(1.0, elapsed / kProportional) + rate_ * elapsed;
    offset_ += std::llround(std::clamp(step, -kMaxRate * elapsed, kMaxRate * elapsed));
}
