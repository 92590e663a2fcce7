#pragma once
#include "state/demo_state.h"

// Time of the current frame spent outside GL (evaluation, hooks, deformers,
// morphing, water), summed by the code that does it into
// demo.frameCpuSeconds. The benchmark reads and clears it once per frame; the
// demo never looks at it.

double profileClockSeconds();

struct CpuSpan {
    double start;
    CpuSpan() : start(profileClockSeconds()) {}
    ~CpuSpan() { demo.frameCpuSeconds += profileClockSeconds() - start; }
    CpuSpan(const CpuSpan&) = delete;
    CpuSpan& operator=(const CpuSpan&) = delete;
};
