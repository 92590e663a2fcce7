#pragma once

// Processor time of the current frame spent outside GL (evaluation, hooks,
// deformers, morphing, water), summed by the code that does it. The benchmark
// reads and clears it once per frame; the demo never looks at it.
extern double frameCpuSeconds;

double profileClockSeconds();

struct CpuSpan {
    double start;
    CpuSpan() : start(profileClockSeconds()) {}
    ~CpuSpan() { frameCpuSeconds += profileClockSeconds() - start; }
    CpuSpan(const CpuSpan&) = delete;
    CpuSpan& operator=(const CpuSpan&) = delete;
};
