#include "muxer_clock.h"

#include <atomic>

#include "win/thread.h"

namespace movanta::muxer {
namespace {

class SystemClock final : public MuxerClock {
public:
    DWORD Ticks() override { return GetTickCount(); }
    void Sleep(DWORD milliseconds) override { ::Sleep(milliseconds); }
};

SystemClock g_system;
std::atomic<MuxerClock*> g_clock {&g_system};

}  // namespace

MuxerClock& CurrentMuxerClock() { return *g_clock.load(); }

void SetMuxerClock(MuxerClock* clock) { g_clock = clock != nullptr ? clock : &g_system; }

}  // namespace movanta::muxer
