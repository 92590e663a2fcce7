#include "shell/frame_clock.h"

#include "script/timeline.h"

long timelineFrameCount(const FrameRate& rate) { return framesBeforeMs(rate, timelineEndMs); }

uint32_t readFixedStep(FixedStepReadings* r) {
    if (!r->started) {
        r->started = true;
        return r->offsetMs + frameTimeMs(r->rate, r->next > 0 ? r->next - 1 : 0);
    }
    r->current = r->next++;
    return r->offsetMs + frameTimeMs(r->rate, r->current);
}
