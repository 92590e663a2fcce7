#include "shell/frame_clock.h"

#include "script/timeline.h"

uint32_t frameTimeMs(const FrameRate& rate, long frame) {
    // n x den / num seconds, to the nearest millisecond, in integers.
    const long long numerator = (long long)frame * rate.den * 1000;
    return uint32_t((numerator * 2 + rate.num) / (2 * rate.num));
}

long timelineFrameCount(const FrameRate& rate) {
    // Frames whose time is below the end: ceil(end x num / den), in ms.
    const long long n = (long long)timelineEndMs * rate.num;
    const long long d = 1000LL * rate.den;
    return long((n + d - 1) / d);
}

uint32_t readFixedStep(FixedStepReadings* r) {
    if (!r->started) {
        r->started = true;
        return r->offsetMs + frameTimeMs(r->rate, r->next > 0 ? r->next - 1 : 0);
    }
    r->current = r->next++;
    return r->offsetMs + frameTimeMs(r->rate, r->current);
}
