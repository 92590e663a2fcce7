#include "bench_stats.h"

#include <algorithm>
#include <ctime>

void addFrame(PartStats* s, double frameMs, double cpuMs, double outsideGlMs, uint32_t musicMs) {
    if (s->frameMs.empty()) s->firstMs = frameMs;
    s->frameMs.push_back(frameMs);
    s->frameCpuMs.push_back(cpuMs);
    s->cpuMs += cpuMs;
    if (cpuMs > s->worstCpuMs) {
        s->worstCpuMs = cpuMs;
        s->worstCpuAtMs = musicMs;
    }
    s->outsideGlMs += outsideGlMs;
    if (frameMs > s->worstMs) {
        s->worstMs = frameMs;
        s->worstAtMs = musicMs;
    }
}

double percentile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t i = size_t(q * double(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

double processCpuSeconds() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

PartSummary summarise(const PartStats& s, int cores) {
    PartSummary r;
    r.frames = s.frameMs.size();
    if (r.frames == 0) return r;
    double sum = 0;
    for (double ms : s.frameMs) sum += ms;
    r.medianMs = percentile(s.frameMs, 0.5);
    r.p95Ms = percentile(s.frameMs, 0.95);
    r.meanMs = sum / double(r.frames);
    r.fps = sum > 0 ? double(r.frames) * 1000.0 / sum : 0;
    r.worstMs = s.worstMs;
    r.worstAtS = double(s.worstAtMs) / 1000.0;
    r.worstOverMedian = r.medianMs > 0 ? r.worstMs / r.medianMs : 0;
    r.firstMs = s.firstMs;
    const double cpuMedian = percentile(s.frameCpuMs, 0.5);
    r.worstCpuMs = s.worstCpuMs;
    r.worstCpuAtS = double(s.worstCpuAtMs) / 1000.0;
    r.worstCpuOverMedian = cpuMedian > 0 ? s.worstCpuMs / cpuMedian : 0;
    r.cpuPerFrameMs = s.cpuMs / double(r.frames);
    r.limitMs = r.cpuPerFrameMs / double(cores > 0 ? cores : 1);
    r.overLimit = r.limitMs > 0 ? r.meanMs / r.limitMs : 0;
    r.outsideGlPercent = sum > 0 ? 100.0 * s.outsideGlMs / sum : 0;
    return r;
}

void printTableHeader(FILE* out) {
    std::fprintf(out, "%4s %6s %10s %8s %9s %8s %6s %9s %7s %7s %9s %7s %6s %8s %8s %6s\n",
                 "part", "frames", "median ms", "p95 ms", "worst ms", "at s", "x med", "first ms",
                 "fps", "cpu ms", "limit ms", "x limit", "own %", "cpu max", "at s", "x med");
}

void printTableRow(FILE* out, int part, const PartSummary& s) {
    std::fprintf(out,
                 "%4d %6zu %10.2f %8.2f %9.2f %8.3f %6.2f %9.2f %7.1f %7.2f %9.2f %7.2f %6.1f %8.2f "
                 "%8.3f %6.2f\n",
                 part, s.frames, s.medianMs, s.p95Ms, s.worstMs, s.worstAtS, s.worstOverMedian,
                 s.firstMs, s.fps, s.cpuPerFrameMs, s.limitMs, s.overLimit, s.outsideGlPercent,
                 s.worstCpuMs, s.worstCpuAtS, s.worstCpuOverMedian);
}

void printJsonRow(FILE* out, int part, const PartSummary& s, const char* config, bool first) {
    std::fprintf(out,
                 "%s    {\"part\": %d, \"config\": \"%s\", \"frames\": %zu, \"median_ms\": %.3f, "
                 "\"p95_ms\": %.3f, \"worst_ms\": %.3f, \"worst_at_s\": %.3f, \"first_ms\": %.3f, "
                 "\"worst_cpu_ms\": %.3f, \"worst_cpu_at_s\": %.3f, \"worst_cpu_x_median\": %.2f, "
                 "\"fps\": %.2f, "
                 "\"cpu_ms_per_frame\": %.3f, \"limit_ms\": %.3f, \"over_limit\": %.3f, "
                 "\"cpu_outside_gl_percent\": %.1f}",
                 first ? "" : ",\n", part, config, s.frames, s.medianMs, s.p95Ms, s.worstMs,
                 s.worstAtS, s.firstMs, s.worstCpuMs, s.worstCpuAtS, s.worstCpuOverMedian, s.fps,
                 s.cpuPerFrameMs, s.limitMs, s.overLimit,
                 s.outsideGlPercent);
}
