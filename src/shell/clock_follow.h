#pragma once
#include <cstdint>

// Keeps the demo clock's zero on the moment the music was heard. The audio
// device has a clock of its own that runs a little faster or slower than the
// system timer; the zero follows it in steps of one millisecond, at most one
// step per clockFollowStepMs of timer time (so the pictures run at most 5 %
// fast or slow while catching up), and never so that a frame's music time
// falls below the one before.
enum : uint32_t { clockFollowStepMs = 20, clockFollowDeadBandMs = 2 };

struct ClockFollower {
    uint32_t lastReading;  // timer reading of the previous frame
    uint32_t lastStep;     // timer reading of the last step
    bool started;
};

// The zero for this frame, given the current zero, where the device says it
// is (target) and the timer reading now, taken before the frame's own.
uint32_t followMusicStart(ClockFollower* follower, uint32_t musicStart, uint32_t target,
                          uint32_t now);
