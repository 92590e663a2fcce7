#include "platform/timer.h"

#include <windows.h>

namespace {
// The performance counter, read as microseconds since the program's first
// reading (the millisecond timer then wraps from there, as timeGetTime does
// from the system's start).
LARGE_INTEGER frequency() {
    static LARGE_INTEGER f = [] {
        LARGE_INTEGER v;
        QueryPerformanceFrequency(&v);
        // Sleep(1) sleeps about a millisecond from here on, not a tick of 15.6.
        timeBeginPeriod(1);
        return v;
    }();
    return f;
}
}  // namespace

uint64_t readSystemTimerUs() {
    const LARGE_INTEGER f = frequency();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const uint64_t ticks = uint64_t(now.QuadPart);
    const uint64_t hz = uint64_t(f.QuadPart > 0 ? f.QuadPart : 1);
    return ticks / hz * 1000000u + ticks % hz * 1000000u / hz;
}

uint32_t readSystemTimer() { return uint32_t(readSystemTimerUs() / 1000u); }

void sleepMicroseconds(uint32_t us) {
    frequency();
    Sleep(DWORD((us + 999) / 1000));
}
