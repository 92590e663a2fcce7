#pragma once
#include <cstdint>

// What the frame loop needs from the world around it. The demo passes the
// system timer, the window's message pump and buffer swap; the capture tool a
// fixed-step clock and a read-back; tests a scripted clock.
struct FrameLoopIo {
    uint32_t (*readTimer)();        // milliseconds, wrapping at 2^32
    void (*pumpMessages)();         // window messages, key state
    void (*queryMusicPosition)();   // once per frame; may move musicStartMs to the music
    void (*presentFrame)();         // ends the frame
    int (*escapeHeld)();            // non-zero while Escape is down
    void* user;                     // free for the caller
};

extern FrameLoopIo demoFrameIo;
extern uint32_t musicStartMs;

// Runs frames until the timeline is over (the first frame past 228000 ms) or
// Escape is held after a presented frame. Returns the number of frames drawn.
long runDemo();

// One DemoClock update from a timer reading (signed 32-bit differences).
// Returns the part index for the reading and sets partMs.
int updateDemoClock(uint32_t now, uint32_t previous, uint32_t musicStart);
