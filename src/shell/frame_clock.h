#pragma once
#include <cstdint>

#include "options/frame_rate.h"

// The fixed-step clock of the offscreen programs and of a seek: frame n is
// drawn at music time frameTimeMs(rate, n) (options/frame_rate.h).

// Number of frames that cover the timeline (frame times below 228 s).
long timelineFrameCount(const FrameRate& rate);

// The frame loop's readings of such a clock: once before its first frame, then
// once per frame. The first reading is the time of the frame before `next`
// (of frame 0 when there is none), so that frame's step is an ordinary one; each
// later reading is the time of the next frame, offset by offsetMs.
struct FixedStepReadings {
    FrameRate rate;
    uint32_t offsetMs = 0;  // music time of frame 0
    long next = 0;          // the frame the next per-frame reading belongs to
    long current = -1;      // the frame read last
    bool started = false;
};

uint32_t readFixedStep(FixedStepReadings* readings);
