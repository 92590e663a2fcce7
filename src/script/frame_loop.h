#pragma once
#include <cstdint>

#include "state/demo_state.h"

// What the frame loop needs from the world around it. The demo passes the
// system timer, the window's message pump and buffer swap; the capture tool a
// fixed-step clock and a read-back; tests a scripted clock. Every callback gets
// `user` back; a null callback is skipped (readTimer is required). Fill it by
// name: FrameLoopIo{.readTimer = ..., .presentFrame = ..., .user = ...}.
struct FrameLoopIo {
    uint32_t (*readTimer)(void* user) = nullptr;  // milliseconds, wrapping at 2^32
    void (*pumpMessages)(void* user) = nullptr;   // window messages, key state
    // Once per frame, given the frame's own timer reading: the timer reading
    // at which music time 0 is heard (the real clock's zero moves with the
    // sound heard). Null: 0, as the fixed-step and scripted clocks count from it.
    uint32_t (*musicStart)(void* user, uint32_t now) = nullptr;
    void (*presentFrame)(void* user) = nullptr;   // ends the frame
    int (*escapeHeld)(void* user) = nullptr;      // non-zero while Escape is down
    // Non-zero when the caller wants no further frame: the frame it waited
    // for is drawn, a key it acts on was pressed, a stop was asked for.
    int (*callerDone)(void* user) = nullptr;
    void* user = nullptr;                         // handed to every callback
};

// Runs frames until the timeline is over (the first frame past 228000 ms), or
// Escape is held or the caller is done after a presented frame (or before
// the first). Returns the number of frames drawn.
long runDemo(const FrameLoopIo& io);

// One demo.DemoClock update from a timer reading (signed 32-bit differences).
// Returns the part index for the reading and sets demo.partMs.
int updateDemoClock(uint32_t now, uint32_t previous, uint32_t musicStart);
