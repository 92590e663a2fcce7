#pragma once
#include "state/demo_state.h"

// Wall-clock time (the monotonic clock) of the current frame spent computing
// outside GL (evaluation, hooks, deformers, morphing, water), summed by the
// code that does it into demo.frameComputeSeconds. The benchmark reads and
// clears it once per frame; the demo never looks at it.

double profileClockSeconds();

struct ComputeSpan {
    double start;
    ComputeSpan() : start(profileClockSeconds()) {}
    ~ComputeSpan() { demo.frameComputeSeconds += profileClockSeconds() - start; }
    ComputeSpan(const ComputeSpan&) = delete;
    ComputeSpan& operator=(const ComputeSpan&) = delete;
};
