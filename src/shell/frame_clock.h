#pragma once
#include <cstdint>

// The fixed-step clock of the offscreen programs and of a seek: frame n is
// drawn at music time n x den / num seconds (rounded to the millisecond, the
// clock's own unit).

struct FrameRate {
    long num = 60;
    long den = 1;
};

// Music time of frame n, in milliseconds.
uint32_t frameTimeMs(const FrameRate& rate, long frame);

// Number of frames that cover the timeline (frame times below 228 s).
long timelineFrameCount(const FrameRate& rate);
