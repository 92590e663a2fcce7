#include "shell/clock_follow.h"

uint32_t followMusicStart(ClockFollower* f, uint32_t musicStart, uint32_t target, uint32_t now) {
    const uint32_t previous = f->lastReading;
    const bool first = !f->started;
    f->lastReading = now;
    if (first) {
        f->started = true;
        return musicStart;
    }
    const int32_t error = int32_t(target - musicStart);
    if (error < int32_t(clockFollowDeadBandMs) && error > -int32_t(clockFollowDeadBandMs))
        return musicStart;
    int32_t frameMs = int32_t(now - previous);
    if (frameMs < 0) frameMs = 0;
    // This frame's share of the difference, at least a millisecond.
    int64_t step = frameMs >= int32_t(clockFollowTimeMs)
                       ? error
                       : int64_t(error) * frameMs / int32_t(clockFollowTimeMs);
    if (step == 0) step = error > 0 ? 1 : -1;
    // A later zero takes music time from this frame: never more than the
    // timer moved since the previous one.
    if (step > frameMs) step = frameMs;
    return musicStart + uint32_t(int32_t(step));
}

uint32_t musicZeroMs(int64_t heardUs, uint32_t fromMs) {
    // To the nearest millisecond, truncated to the timer's 32 bits.
    return uint32_t(uint64_t(heardUs + 500) / 1000u) - fromMs;
}
