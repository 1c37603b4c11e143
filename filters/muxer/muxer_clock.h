// Where the writer filter gets the time and sleeps: the system by default,
// a clock of the test's own in tests (so stalls of a minute take no minute).
#pragma once

#include "win/wintypes.h"

namespace movanta::muxer {

class MuxerClock {
public:
    virtual ~MuxerClock() = default;
    virtual DWORD Ticks() = 0;  // milliseconds
    virtual void Sleep(DWORD milliseconds) = 0;
};

// The clock in use; SetMuxerClock(nullptr) restores the system's.
MuxerClock& CurrentMuxerClock();
void SetMuxerClock(MuxerClock* clock);

}  // namespace movanta::muxer
