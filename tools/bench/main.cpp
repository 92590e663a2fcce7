// demo-bench: plays the timeline (or some of its parts) offscreen as fast as
// it can on a fixed-step clock and prints, per part, frame counts, frame times,
// the worst frame and where it falls, and the processor time per frame. With
// --compare it alternates two configurations frame by frame (renderer tunings
// switched off, or more samples per pixel), so both see the same load on a
// busy machine.
#include <GL/gl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "options/standard_output.h"
#include "bench_stats.h"
#include "drawable_limit.h"
#include "offscreen_options.h"
#include "picture_target.h"
#include "fx/frame_profile.h"
#include "fx/render_tuning.h"
#include "shell/headless_run.h"
#include "options/option_values.h"
#include "script/timeline.h"
#include "state/demo_state.h"

namespace {


struct Bench {
    FrameRate rate;
    int firstPart = 0, lastPart = 8;
    uint32_t startMs = 0, endMs = uint32_t(timelineEndMs);
    int cores = 1;
    // Compare mode: odd frames run with renderTuning = other, or drawn into
    // the target when one is asked for.
    bool compare = false;
    RenderTuning other = {1, 1, 1};
    bool usesTarget = false;
    bool failed = false;
    PictureTarget target;
    int width = 640, height = 480;
    std::string renderer;  // the GL's own name for it: the figures depend on it
    PartStats parts[2][partCount + 1];  // [0] the demo's own configuration, [1] the other
    double lastStamp = -1;
    double lastCpu = 0;
    // --frames FILE: one line per timed frame, for comparing runs frame by frame.
    FILE* frameLog = nullptr;
};

int configOfFrame(const Bench& b, long frame) { return b.compare && (frame & 1) ? 1 : 0; }

void setConfig(const Bench& b, int config) {
    if (config == 0)
        resetRenderTuning();
    else
        renderTuning = b.other;
    if (b.usesTarget && config == 1) beginTargetFrame(b.target);
}

// The compared frames' framebuffer, made once the GL context is there.
bool prepareTarget(Bench* b) {
    if (!b->usesTarget || b->target.framebuffer != 0) return true;
    std::string problem;
    if (!createPictureTarget(&b->target, b->width, b->height, &problem)) {
        std::fprintf(stderr, "demo-bench: cannot compare %s: %s\n",
                     b->target.scale > 1 ? "supersampled frames" : "multisampled frames",
                     problem.c_str());
        b->failed = true;
        return false;
    }
    return true;
}

bool onFrame(long frame, void* user) {
    Bench* b = static_cast<Bench*>(user);
    // Handing the frame to the drawable is part of the compared frame's cost.
    if (b->usesTarget && configOfFrame(*b, frame) == 1)
        endTargetFrame(b->target, b->width, b->height);
    glFinish();
    const double t = profileClockSeconds();
    const double cpu = processCpuSeconds();
    const uint32_t ms = b->startMs + frameTimeMs(b->rate, frame);
    const int part = partIndexForElapsed(int32_t(ms));
    // The first frame's time includes nothing before it: leave it out.
    if (b->lastStamp >= 0 && part <= partCount) {
        const double wallMs = (t - b->lastStamp) * 1000.0, cpuMs = (cpu - b->lastCpu) * 1000.0;
        addFrame(&b->parts[configOfFrame(*b, frame)][part], wallMs, cpuMs,
                 demo.frameComputeSeconds * 1000.0, ms);
        if (b->frameLog)
            std::fprintf(b->frameLog, "%ld %u %d %d %.3f %.3f\n", frame, unsigned(ms), part,
                         configOfFrame(*b, frame), wallMs, cpuMs);
    }
    demo.frameComputeSeconds = 0;
    if (b->renderer.empty()) {
        const GLubyte* name = glGetString(GL_RENDERER);
        b->renderer = name ? reinterpret_cast<const char*>(name) : "unknown";
    }
    if (!prepareTarget(b)) return false;
    setConfig(*b, configOfFrame(*b, frame + 1));
    b->lastStamp = profileClockSeconds();
    b->lastCpu = processCpuSeconds();
    return ms < b->endMs;
}

// "all" or a comma list of arrays, one, flush: the tunings the other
// configuration switches off.
bool parseCompare(const std::string& text, RenderTuning* other) {
    *other = RenderTuning{1, 1, 1};
    for (const std::string& item : splitCommaList(text)) {
        if (item == "all")
            *other = RenderTuning{0, 0, 0};
        else if (item == "arrays")
            other->meshArrays = 0;
        else if (item == "one")
            other->additiveOne = 0;
        else if (item == "flush")
            other->earlyFlush = 0;
        else
            return false;
    }
    return true;
}

// A string as JSON wants it: quotes and backslashes escaped, controls dropped.
std::string jsonText(const std::string& s) {
    std::string out;
    for (const char ch : s) {
        if (static_cast<unsigned char>(ch) < 0x20) continue;
        if (ch == '"' || ch == '\\') out += '\\';
        out += ch;
    }
    return out;
}

const char* const usage =
    "usage: demo-bench [--parts A-B] [--rate N[/D]] [--size WxH] [--data DIR] [--json]\n"
    "                  [--compare WHAT] [--no-warm-up] [--cores N] [--frames FILE]\n"
    "                  [--msaa N] [--print-timeline]\n"
    "  --parts A-B     only parts A to B of 0..8 (default all), each from its start\n"
    "  --rate N/D      clock steps per second of music (default 60)\n"
    "  --size WxH      picture size, 4:3 and even (default 640x480)\n"
    "  --compare WHAT  every other frame with renderer tunings off: all, or a comma\n"
    "                  list of arrays (vertex arrays), one (GL_ONE additive blend),\n"
    "                  flush (early flushes); or drawn with more samples: msaaN\n"
    "                  (N = 2, 4, 8, 16) into a multisampled framebuffer, or\n"
    "                  supersampleK (K = 2 to 4) K x K times larger, scaled down by\n"
    "                  the GL (the capture's own filter is not included); both\n"
    "                  halves are reported\n"
    "  --no-warm-up    skip the warm-up frames during loading (shows the hitches)\n"
    "  --cores N       cores for the limit column (default: those online)\n"
    "  --msaa N        draw with N samples per pixel\n"
    "  --print-timeline  print the part boundaries and the end as JSON and stop\n"
    "  --frames FILE   one line per timed frame: frame, music ms, part, config\n"
    "                  (0 the demo's, 1 the other), wall ms, processor ms\n"
    "Columns: median, p95 and worst frame ms, the music time of the worst, worst /\n"
    "median, the part's first frame ms, fps, process processor ms per frame (all\n"
    "threads), the limit (that / cores), mean frame time / limit, the share of the\n"
    "demo's own work outside GL, and the frame with the most processor time, where\n"
    "it falls and how many medians of processor time it took.\n";
const ProgramUsage program = {"demo-bench", usage};

// The timeline for scripts (the browser test reads it): every boundary in ms,
// the start of each part that draws, and the end of the last one.
int printTimeline() {
    std::printf("{\"boundariesMs\": [");
    for (int i = 0; i <= partCount; ++i) std::printf("%s%d", i ? ", " : "", int(Timeline[i]));
    std::printf("], \"partStartsMs\": [");
    for (int i = 0; i <= lastPlayedPart; ++i) std::printf("%s%d", i ? ", " : "", int(Timeline[i]));
    std::printf("], \"endMs\": %d}\n", int(timelineEndMs));
    return 0;
}

// "A-B", two part indices from 0 to 8, A at most B.
bool parsePartRange(const std::string& text, int* first, int* last) {
    std::string a, b;
    long from = 0, to = 0;
    if (!splitRange(text, &a, &b) || !parseWholeNumber(a.c_str(), 0, 8, &from) ||
        !parseWholeNumber(b.c_str(), 0, 8, &to) || from > to)
        return false;
    *first = int(from);
    *last = int(to);
    return true;
}

struct BenchOptions {
    OffscreenOptions offscreen;  // --rate, --size, --msaa, --data
    bool json = false;
    std::string framesPath;  // --frames FILE, opened once every option is known good
};

// What --parts, --compare, --cores and --frames take.
const char* benchTaken(const std::string& arg) {
    return arg == "--parts"     ? "A-B, two parts from 0 to 8, A at most B"
           : arg == "--compare" ? "all, or a comma list of arrays, one and flush; msaa2 .. msaa16; "
                                  "supersample2 .. supersample4"
           : arg == "--cores"   ? "a whole number from 1 to 4096"
                                : "a file name";
}

// The value of --parts, --compare or --cores.
int readBenchValue(const std::string& arg, const std::string& v, Bench* b) {
    long cores = 0;
    if (arg == "--parts") {
        if (!parsePartRange(v, &b->firstPart, &b->lastPart))
            return refuseOption(program, arg, v, benchTaken(arg));
    } else if (arg == "--compare") {
        b->usesTarget = parsePictureTarget(v, &b->target);
        if (!b->usesTarget && !parseCompare(v, &b->other))
            return refuseOption(program, arg, v, benchTaken(arg));
        b->compare = true;
    } else {
        if (!parseWholeNumber(v.c_str(), 1, 4096, &cores))
            return refuseOption(program, arg, v, benchTaken(arg));
        b->cores = int(cores);
    }
    return 0;
}

// The options of the bench alone; *taken says whether r->option was one.
int readBenchOption(OptionReader* r, Bench* b, HeadlessRun* run, BenchOptions* o, bool* taken) {
    const std::string& arg = r->option;
    *taken = true;
    std::string v;
    if (arg == "--json") {
        o->json = true;
    } else if (arg == "--no-warm-up") {
        run->warmUp = false;
    } else if (arg == "--frames") {
        return optionValue(r, &o->framesPath, benchTaken(arg));
    } else if (arg == "--parts" || arg == "--compare" || arg == "--cores") {
        if (const int refused = optionValue(r, &v, benchTaken(arg))) return refused;
        return readBenchValue(arg, v, b);
    } else {
        *taken = false;
    }
    return 0;
}

// Reads the command line into the bench and the run. -1 to go on, else the
// exit code (after the usage or what was asked for was printed).
int parseBenchOptions(int argc, char** argv, Bench* b, HeadlessRun* run, BenchOptions* o) {
    OptionReader r = startOptions(program, argc, argv);
    while (nextOption(&r)) {
        if (helpAsked(r)) return showHelp(program);
        if (r.option == "--print-timeline")
            return finishStandardOutput(program.name, printTimeline());
        bool taken = false;
        if (const int refused = readSharedOption(&r, &o->offscreen, &taken)) return refused;
        if (!taken)
            if (const int refused = readBenchOption(&r, b, run, o, &taken)) return refused;
        if (!taken) return refuseUnknown(r);
    }
    if (b->usesTarget && o->offscreen.msaa > 0)
        return refuseOption(program, "--msaa", std::to_string(o->offscreen.msaa),
                            "no value beside --compare msaa/supersample, which draws both halves "
                            "itself: leave it out");
    return -1;
}

void printReport(const Bench& b, const HeadlessRun& run, bool json, long drawn, double total) {
    const int configs = b.compare ? 2 : 1;
    const char* const names[2] = {"tuned", "other"};
    const std::string otherName =
        b.usesTarget ? describePictureTarget(b.target) : "tunings switched off";
    if (json)
        std::printf("{\n  \"rate\": \"%ld/%ld\",\n  \"width\": %d,\n  \"height\": %d,\n"
                    "  \"cores\": %d,\n  \"warm_up\": %s,\n  \"renderer\": \"%s\",\n"
                    "  \"parts\": [\n",
                    b.rate.num, b.rate.den, run.width, run.height, b.cores,
                    run.warmUp ? "true" : "false", jsonText(b.renderer).c_str());
    else
        std::printf("renderer: %s\n", b.renderer.c_str());
    bool first = true;
    for (int c = 0; c < configs; ++c) {
        if (!json) {
            if (b.compare)
                std::printf("%s frames (%s):\n", c == 0 ? "even" : "odd",
                            c == 0 ? "the demo's renderer" : otherName.c_str());
            printTableHeader(stdout);
        }
        for (int p = b.firstPart; p <= b.lastPart; ++p) {
            const PartSummary s = summarise(b.parts[c][p], b.cores);
            if (json)
                printJsonRow(stdout, p, s, names[c], first);
            else
                printTableRow(stdout, p, s);
            first = false;
        }
    }
    if (b.compare && !json) {
        std::printf("median and mean frame time, demo's renderer / %s:\n", otherName.c_str());
        for (int p = b.firstPart; p <= b.lastPart; ++p) {
            const PartSummary a = summarise(b.parts[0][p], b.cores);
            const PartSummary o = summarise(b.parts[1][p], b.cores);
            std::printf("%4d %6.3f %6.3f\n", p, o.medianMs > 0 ? a.medianMs / o.medianMs : 0,
                        o.meanMs > 0 ? a.meanMs / o.meanMs : 0);
        }
    }
    if (json)
        std::printf("\n  ],\n  \"frames\": %ld,\n  \"seconds\": %.2f\n}\n", drawn, total);
    else
        std::printf("%ld frames in %.1f s\n", drawn, total);
}

}  // namespace

int main(int argc, char** argv) {
    Bench b;
    HeadlessRun run;
    run.warmUp = true;
    b.cores = int(sysconf(_SC_NPROCESSORS_ONLN));
    BenchOptions options;
    const int parsed = parseBenchOptions(argc, argv, &b, &run, &options);
    if (parsed >= 0) return parsed;
    // Before the frame list is opened: the largest picture drawn, the compared
    // frames' framebuffer or the drawable, must be one the GL draws.
    const int scale = b.usesTarget ? b.target.scale : 1;
    if (const int refused = checkDrawnSize(program, options.offscreen, scale,
                                           "--compare supersample" + std::to_string(scale),
                                           scale == 1))
        return refused;
    if (!options.framesPath.empty()) {
        b.frameLog = std::fopen(options.framesPath.c_str(), "w");
        if (!b.frameLog) {
            std::fprintf(stderr, "demo-bench: cannot write %s (%s)\n", options.framesPath.c_str(),
                         std::strerror(errno));
            return 2;
        }
    }
    const OffscreenOptions& shared = options.offscreen;
    b.rate = shared.rate;
    run.width = shared.width;
    run.height = shared.height;
    run.msaaSamples = shared.msaa;
    run.dataDir = shared.dataDir;
    b.startMs = b.firstPart == 0 ? 0 : uint32_t(partStartMs(b.firstPart) + 1);
    b.endMs = uint32_t(Timeline[b.lastPart + 1]);
    b.width = run.width;
    b.height = run.height;
    run.rate = shared.rate;
    run.startMs = b.startMs;
    run.onFrame = onFrame;
    run.user = &b;
    long drawn = 0;
    const double t0 = profileClockSeconds();
    const int rc = runHeadless(run, &drawn);
    if (rc > 128) std::fprintf(stderr, "demo-bench: stopped by signal %d\n", rc - 128);
    if (b.frameLog && std::fclose(b.frameLog) != 0) {
        std::fprintf(stderr, "demo-bench: cannot write the frame list\n");
        return 1;
    }
    if (rc != 0) return rc;
    if (b.failed) return 1;
    printReport(b, run, options.json, drawn, profileClockSeconds() - t0);
    return finishStandardOutput("demo-bench", 0);
}
