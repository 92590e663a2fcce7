// demo-bench: plays the timeline (or some of its parts) offscreen as fast as
// it can on a fixed-step clock and prints, per part, frame counts, frame times
// and how much of the time the processor spent outside GL.
#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "frame_size.h"
#include "fx/frame_profile.h"
#include "headless_run.h"
#include "script/timeline.h"

namespace {

struct PartStats {
    std::vector<double> frameMs;
    double cpuMs = 0;
};

struct Bench {
    FrameRate rate;
    int firstPart = 0, lastPart = 8;
    uint32_t startMs = 0, endMs = 228000;
    PartStats parts[partCount + 1];
    double lastStamp = -1;
};

bool onFrame(long frame, void* user) {
    Bench* b = static_cast<Bench*>(user);
    glFinish();
    const double t = profileClockSeconds();
    const uint32_t ms = b->startMs + frameTimeMs(b->rate, frame);
    const int part = partIndexForElapsed(int32_t(ms));
    // The first frame's time includes nothing before it: leave it out.
    if (b->lastStamp >= 0 && part <= partCount) {
        b->parts[part].frameMs.push_back((t - b->lastStamp) * 1000.0);
        b->parts[part].cpuMs += frameCpuSeconds * 1000.0;
    }
    frameCpuSeconds = 0;
    b->lastStamp = t;
    return ms < b->endMs;
}

double percentile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t i = size_t(q * double(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

int usage(const char* problem) {
    if (problem) std::fprintf(stderr, "demo-bench: %s\n", problem);
    std::fprintf(problem ? stderr : stdout,
                 "usage: demo-bench [--parts A-B] [--rate N[/D]] [--size WxH] [--data DIR] [--json]\n"
                 "  --parts A-B  only parts A to B of 0..8 (default all), each from its start\n"
                 "  --rate N/D   clock steps per second of music (default 60)\n"
                 "  --size WxH   picture size, 4:3 and even (default 640x480)\n");
    return problem ? 2 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    Bench b;
    HeadlessRun run;
    bool json = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        if (arg == "--json") {
            json = true;
        } else if (arg == "-h" || arg == "--help") {
            return usage(nullptr);
        } else if (arg == "--parts" && v) {
            int a = 0, c = 0;
            if (std::sscanf(v, "%d-%d", &a, &c) != 2 || a < 0 || c > 8 || a > c)
                return usage("bad part range (0-8)");
            b.firstPart = a;
            b.lastPart = c;
            ++i;
        } else if (arg == "--rate" && v) {
            if (!parseFrameRate(v, &b.rate)) return usage("bad rate");
            ++i;
        } else if (arg == "--size" && v) {
            // The capture's rule: the demo's 4:3 frame, even sizes.
            const char* problem = nullptr;
            if (!parseFrameSize(v, &run.width, &run.height, &problem)) return usage(problem);
            ++i;
        } else if (arg == "--data" && v) {
            run.dataDir = v;
            ++i;
        } else {
            return usage(("unknown option " + arg).c_str());
        }
    }
    b.startMs = b.firstPart == 0 ? 0 : uint32_t(partStartMs(b.firstPart) + 1);
    b.endMs = uint32_t(Timeline[b.lastPart + 1]);
    run.rate = b.rate;
    run.startMs = b.startMs;
    run.onFrame = onFrame;
    run.user = &b;
    long drawn = 0;
    const double t0 = profileClockSeconds();
    const int rc = runHeadless(run, &drawn);
    if (rc > 128) std::fprintf(stderr, "demo-bench: stopped by signal %d\n", rc - 128);
    if (rc != 0) return rc;
    const double total = profileClockSeconds() - t0;

    if (json) std::printf("{\n  \"rate\": \"%ld/%ld\",\n  \"width\": %d,\n  \"height\": %d,\n  \"parts\": [\n",
                          b.rate.num, b.rate.den, run.width, run.height);
    else
        std::printf("%4s %7s %10s %10s %8s %8s\n", "part", "frames", "median ms", "p95 ms", "fps",
                    "cpu %");
    bool first = true;
    for (int p = b.firstPart; p <= b.lastPart; ++p) {
        const PartStats& s = b.parts[p];
        double sum = 0;
        for (double ms : s.frameMs) sum += ms;
        const double fps = sum > 0 ? double(s.frameMs.size()) * 1000.0 / sum : 0;
        const double cpu = sum > 0 ? 100.0 * s.cpuMs / sum : 0;
        if (json) {
            std::printf("%s    {\"part\": %d, \"frames\": %zu, \"median_ms\": %.3f, \"p95_ms\": %.3f, "
                        "\"fps\": %.2f, \"cpu_outside_gl_percent\": %.1f}",
                        first ? "" : ",\n", p, s.frameMs.size(), percentile(s.frameMs, 0.5),
                        percentile(s.frameMs, 0.95), fps, cpu);
        } else {
            std::printf("%4d %7zu %10.2f %10.2f %8.1f %8.1f\n", p, s.frameMs.size(),
                        percentile(s.frameMs, 0.5), percentile(s.frameMs, 0.95), fps, cpu);
        }
        first = false;
    }
    if (json)
        std::printf("\n  ],\n  \"frames\": %ld,\n  \"seconds\": %.2f\n}\n", drawn, total);
    else
        std::printf("%ld frames in %.1f s\n", drawn, total);
    return 0;
}
