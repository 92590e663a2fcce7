#pragma once
#include <cstddef>
#include <vector>

#include "shell/headless_run.h"

// Stills: the demo on the fixed-step clock, stopping on chosen frames. The
// frames before a still are drawn for their history (particles, flares) but
// nobody sees them: they go into a one-pixel scissor box, which spares the
// rasterizing, nearly all of the time a frame takes. Nothing reads pixels
// back, so each still comes out as the capture program draws that frame.

struct StillAt {
    size_t index;  // into StillsRun::frames
    long frame;
    bool last;     // the last still of the run: nothing is drawn after it
};

struct StillsRun {
    HeadlessRun run;           // the clock and start; onFrame is the runner's
    std::vector<long> frames;  // as asked for: any order, one frame may repeat
    bool drawAll = false;      // the frames between drawn whole too (timing)
    // Called on each still's frame once it is drawn, before the buffers swap,
    // once for each time the frame was asked for, in the order asked. Return
    // false to stop after this frame.
    bool (*onStill)(const StillAt& still, void* user) = nullptr;
    void* user = nullptr;      // handed to onStill and run.present
};

// Starts the demo (runHeadless) and draws up to the last still. Returns
// runHeadless's exit code.
int runStills(const StillsRun& stills);

// The same on a demo already started: after a restart, or on a context the
// caller opened (startDemoOnContext). Returns the frames drawn.
long playStills(const StillsRun& stills);
