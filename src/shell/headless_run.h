#pragma once
#include <cstdint>
#include <string>

#include "shell/frame_clock.h"

// Plays the demo's frame loop without a display on a fixed-step clock
// (shell/frame_clock.h). Used by the capture and benchmark programs.

struct HeadlessRun {
    int width = 640;
    int height = 480;
    FrameRate rate;
    std::string dataDir;  // empty: the folder beside the program
    uint32_t startMs = 0;  // music time of frame 0 (benchmarks may start mid-way)
    bool warmUp = false;   // load as the demo does, with the warm-up frames
    int msaaSamples = 0;   // multisampled drawable asked for (0: one sample per pixel)
    // Called after each frame is drawn (before the buffers swap); return false
    // to stop after this frame.
    bool (*onFrame)(long frame, void* user) = nullptr;
    // Ends each frame after onFrame; null swaps the window's buffers. A
    // caller drawing on a context of its own has nothing of ours to swap.
    void (*present)(void* user) = nullptr;
    void* user = nullptr;  // handed to onFrame and present
};

// Opens the offscreen window, loads everything and runs frames from 0 until
// onFrame says stop, the timeline ends or a stop signal arrives (see
// platform/stop_signal.h). Returns the process exit code the caller should use: 0
// fine, 1 a start-up failure (already reported), 128 + the signal's number
// when a signal stopped it.
int runHeadless(const HeadlessRun& run, long* framesDrawn);

// The frames alone, on a demo already started and loaded (a restart, or a
// context of the caller's own): frame 0 at run.startMs, until onFrame says
// stop, the timeline ends or a stop signal arrives. Returns the frames drawn.
long playHeadless(const HeadlessRun& run);

// Reads the frame just drawn, top row first, RGB.
void readFrameRgb(int width, int height, unsigned char* rgb);
