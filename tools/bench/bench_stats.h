#pragma once
#include <cstdint>
#include <cstdio>
#include <vector>

// Frame times of one part under one configuration.
struct PartStats {
    std::vector<double> frameMs;  // wall time, end of the previous frame to glFinish
    double cpuMs = 0;             // process processor time (all threads) over those frames
    double outsideGlMs = 0;       // the demo's own work outside GL
    double worstMs = 0;
    uint32_t worstAtMs = 0;       // music time of the worst frame
    double firstMs = -1;          // the part's first timed frame (where compiles show)
    // The frame that took the most processor time: a compile shows here too,
    // while a frame that only waited for other programs on the machine does not.
    double worstCpuMs = 0;
    uint32_t worstCpuAtMs = 0;
    double medianCpuMs = 0;       // filled by summarise
    std::vector<double> frameCpuMs;
};

void addFrame(PartStats* s, double frameMs, double cpuMs, double outsideGlMs, uint32_t musicMs);

// The value below which a share q (0 to 1) of v lies, the nearest one taken.
double percentile(std::vector<double> v, double q);

// Processor time of the whole process (the GL driver's threads included), s.
double processCpuSeconds();

// Derived figures of a part. limitMs is the processor time per frame divided
// by the cores: no schedule of the same work can take less wall time.
struct PartSummary {
    size_t frames = 0;
    double medianMs = 0, p95Ms = 0, meanMs = 0, fps = 0;
    double worstMs = 0, worstAtS = 0, worstOverMedian = 0, firstMs = 0;
    double worstCpuMs = 0, worstCpuAtS = 0, worstCpuOverMedian = 0;
    double cpuPerFrameMs = 0, limitMs = 0, overLimit = 0, outsideGlPercent = 0;
};
PartSummary summarise(const PartStats& s, int cores);

void printTableHeader(FILE* out);
void printTableRow(FILE* out, int part, const PartSummary& s);
void printJsonRow(FILE* out, int part, const PartSummary& s, const char* config, bool first);
