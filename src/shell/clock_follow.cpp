#include "shell/clock_follow.h"

uint32_t followMusicStart(ClockFollower* f, uint32_t musicStart, uint32_t target, uint32_t now) {
    const uint32_t previous = f->lastReading;
    const bool first = !f->started;
    f->lastReading = now;
    if (first) {
        f->started = true;
        f->lastStep = now;
        return musicStart;
    }
    const int32_t error = int32_t(target - musicStart);
    if (error < int32_t(clockFollowDeadBandMs) && error > -int32_t(clockFollowDeadBandMs))
        return musicStart;
    if (int32_t(now - f->lastStep) < int32_t(clockFollowStepMs)) return musicStart;
    if (error > 0) {
        // A later zero takes a millisecond from this frame: only when the
        // timer has moved on since the previous frame, so time never steps back.
        if (int32_t(now - previous) < 1) return musicStart;
        f->lastStep = now;
        return musicStart + 1;
    }
    f->lastStep = now;
    return musicStart - 1;
}
