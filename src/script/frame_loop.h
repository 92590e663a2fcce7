#pragma once
#include <cstdint>

#include "state/demo_state.h"

// What the frame loop needs from the world around it. The demo passes the
// system timer, the window's message pump and buffer swap; the capture tool a
// fixed-step clock and a read-back; tests a scripted clock. Every callback gets
// `user` back; a null callback is skipped (readTimer is required).
struct FrameLoopIo {
    uint32_t (*readTimer)(void* user);           // milliseconds, wrapping at 2^32
    void (*pumpMessages)(void* user);            // window messages, key state
    // Once per frame, before the timer reading: the timer reading at which
    // music time 0 is heard (the real clock's zero moves with the sound
    // heard). Null: 0, as the fixed-step and scripted clocks count from it.
    uint32_t (*musicStart)(void* user);
    void (*presentFrame)(void* user);            // ends the frame
    int (*escapeHeld)(void* user);               // non-zero while Escape is down
    void* user;                                  // handed to every callback
};

// Runs frames until the timeline is over (the first frame past 228000 ms) or
// Escape is held after a presented frame. Returns the number of frames drawn.
long runDemo(const FrameLoopIo& io);

// One demo.DemoClock update from a timer reading (signed 32-bit differences).
// Returns the part index for the reading and sets demo.partMs.
int updateDemoClock(uint32_t now, uint32_t previous, uint32_t musicStart);
