#pragma once
#include <cstdint>

// Keeps the demo clock's zero on the moment the music was heard. Where the
// audio device says the music began moves (its clock runs a little off the
// system timer's, it underran, a suspended output resumed), the zero follows
// within about a second: each frame takes a share of the difference that grows
// with the frame's length (clockFollowTimeMs is the time constant). A later
// zero slows the pictures down, at most to a standstill, so a frame's music
// time never falls below the one before; an earlier one speeds them up.
// Differences within the dead band are left alone.
enum : uint32_t { clockFollowTimeMs = 150, clockFollowDeadBandMs = 2 };

struct ClockFollower {
    uint32_t lastReading;  // timer reading of the previous frame
    bool started;
};

// The zero for this frame, given the current zero, where the device says it
// is (target) and the timer reading the frame is drawn for (now).
uint32_t followMusicStart(ClockFollower* follower, uint32_t musicStart, uint32_t target,
                          uint32_t now);

// The clock's zero (a timer reading in milliseconds, wrapping as the timer
// does) when the sample at music time fromMs was heard at heardUs on the
// microsecond timer: at the start fromMs is 0; after a pause or a seek the
// music starts again from fromMs, and the zero moves so that the clock reads
// fromMs there and follows the sound heard from then on as from the start.
uint32_t musicZeroMs(int64_t heardUs, uint32_t fromMs);
