#include "platform/timer.h"

#include <time.h>

uint64_t readSystemTimerUs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint64_t(ts.tv_sec) * 1000000u + uint64_t(ts.tv_nsec) / 1000u;
}

uint32_t readSystemTimer() { return uint32_t(readSystemTimerUs() / 1000u); }

void sleepMicroseconds(uint32_t us) {
    timespec ts;
    ts.tv_sec = time_t(us / 1000000u);
    ts.tv_nsec = long(us % 1000000u) * 1000;
    nanosleep(&ts, nullptr);
}
