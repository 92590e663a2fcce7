// demo-seek-bench: how long the demo's seeks take, offscreen: the state put
// back from the nearest kept moment and the frames from there played without
// rasterizing, as the desktop demo does on Left, Right, Page Up/Down, the
// number keys and --start. The sound's restart is not in these figures (the
// demo prints its own, with it).
//
//   demo-seek-bench [--data DIR]
//
// "Cold" seeks find only the start kept (the first seek of a play); "warm"
// ones find the moments an earlier seek kept on its way; "ahead" ones the
// moments the copy of the process that plays the timeline in the background
// (as the demo starts it once loading is done) has sent so far.
#include <GL/gl.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench_stats.h"
#include "offscreen_options.h"
#include "platform/data_path.h"
#include "options/standard_output.h"
#include "script/frame_loop.h"
#include "shell/frame_clock.h"
#include "shell/seek_ahead.h"
#include "script/demo_moment.h"
#include "shell/seek_replay.h"
#include "shell/start_up.h"

namespace {

const char* const usage =
    "usage: demo-seek-bench [--data DIR]\n";
const ProgramUsage program = {"demo-seek-bench", usage};

double nowSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct Timed {
    double wall, cpu;
    long played;  // frames played to reach the target, the target included
};

long nearestKeptBefore(const SeekCache& cache, long frame) {
    long kept = -1;
    for (const KeptMoment& p : cache.moments)
        if (p.frame < frame) kept = p.frame;
    return kept;
}

// The copy keeping moments ahead, while the "ahead" seeks have one.
SeekAhead ahead;

// A seek as the play makes one: the copy's moments waited for first.
Timed seekTo(SeekCache* cache, double seconds) {
    const long frame = seekFrameAtSeconds(seconds);
    const long from = nearestKeptBefore(*cache, frame);
    const double w0 = nowSeconds(), c0 = processCpuSeconds();
    const bool drawn = awaitMomentsBefore(&ahead, cache, frame, SeekWatch{}) &&
                       drawSeekFrame(cache, frame);
    seekingAheadAgain(&ahead, cache);
    if (!drawn) {
        std::fprintf(stderr, "%s: the seek to %.1f s failed\n", program.name, seconds);
        std::exit(1);
    }
    glFinish();
    return {nowSeconds() - w0, processCpuSeconds() - c0, frame - from};
}

// Back to the start alone kept: the next seek is a play's first.
void forgetKept(SeekCache* cache) { cache->moments.clear(); }

void printSeek(const char* what, const Timed& t) {
    std::printf("  %-34s %7.3f s wall %7.3f s cpu  %5ld frames  %.2f ms a frame\n", what, t.wall,
                t.cpu, t.played, t.played > 0 ? 1000.0 * t.wall / double(t.played) : 0.0);
}

void coldSeeks(SeekCache* cache) {
    std::printf("cold: the first seek of a play, from the start to\n");
    for (double target : {10.0, 40.0, 100.0, 160.0, 218.0}) {
        forgetKept(cache);
        char what[64];
        std::snprintf(what, sizeof what, "%.0f s", target);
        printSeek(what, seekTo(cache, target));
    }
}

void warmSeeks(SeekCache* cache) {
    size_t keptBytes = cache->start.bytes.size();
    for (const KeptMoment& p : cache->moments) keptBytes += p.changes.bytes.size();
    std::printf("warm: after that last one (%zu moments kept besides the start, %zu bytes in all)\n",
                cache->moments.size(), keptBytes);
    printSeek("back 10 s from the end (208 s)", seekTo(cache, 208.0));
    printSeek("forward 10 s (218 s)", seekTo(cache, 218.0));
    printSeek("back 10 s (208 s) again", seekTo(cache, 208.0));
    // The most a warm seek plays, the frames before the next kept moment, in
    // part 3, whose frames cost most to play.
    const double longest =
        frameSeconds(FrameRate{seekFrameRate, 1}, 30 * seekKeepEveryFrames + seekKeepEveryFrames - 1);
    char what[64];
    std::snprintf(what, sizeof what, "furthest from a kept one (%.2f s)", longest);
    printSeek(what, seekTo(cache, longest));

    std::vector<double> walls;
    Timed worst = {0, 0, 0};
    double worstAt = 0;
    for (double t = 3.0; t < 228.0; t += 7.3) {
        const Timed timed = seekTo(cache, t);
        walls.push_back(timed.wall);
        if (timed.wall > worst.wall) worst = timed, worstAt = t;
    }
    std::sort(walls.begin(), walls.end());
    std::printf("warm sweep, 3 s to 222 s every 7.3 s (%zu seeks): median %.3f s wall\n",
                walls.size(), walls[walls.size() / 2]);
    std::snprintf(what, sizeof what, "the sweep's slowest (%.1f s)", worstAt);
    printSeek(what, worst);
}

// The processor time of the copies ended and waited for so far.
double childrenCpuSeconds() {
    rusage use = {};
    getrusage(RUSAGE_CHILDREN, &use);
    return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) +
           double(use.ru_utime.tv_usec + use.ru_stime.tv_usec) * 1e-6;
}

// Frames drawn as a play draws them from the frame at `seconds` on, 60 a
// second (each started on its tick, finished before the next, the rest of
// the tick left idle, as a play on a display that shows 60 frames a second):
// how long each took to draw.
struct Drawn {
    SeekCache* cache;  // whose copy's moments are taken in between frames, as a play does
    FixedStepReadings clock;
    long left;
    double tick, started;
    std::vector<double> ms;
};

uint32_t startDrawn(void* user) {
    Drawn* d = static_cast<Drawn*>(user);
    takeMomentsKept(&ahead, d->cache, 0);
    d->started = nowSeconds();
    return readFixedStep(&d->clock);
}

void finishDrawn(void* user) {
    Drawn* d = static_cast<Drawn*>(user);
    glFinish();
    const double now = nowSeconds();
    d->ms.push_back(1000.0 * (now - d->started));
    d->tick += 1.0 / double(seekFrameRate);
    if (d->tick > now) std::this_thread::sleep_for(std::chrono::duration<double>(d->tick - now));
    --d->left;
}

void liveFrames(SeekCache* cache, double seconds, long count) {
    const long first = seekFrameAtSeconds(seconds);
    drawSeekFrame(cache, first);
    glFinish();
    Drawn d = {cache, {}, count, nowSeconds(), 0, {}};
    d.clock.rate = FrameRate{seekFrameRate, 1};
    d.clock.next = first + 1;
    d.clock.current = first;
    runDemo(FrameLoopIo{.readTimer = startDrawn,
                        .presentFrame = finishDrawn,
                        .callerDone =
                            [](void* u) { return static_cast<Drawn*>(u)->left <= 0 ? 1 : 0; },
                        .user = &d});
    std::printf("    %ld frames from %.0f s, 60 a second: drawn in a median %.2f ms, 95th %.2f "
                "ms, worst %.2f ms\n",
                count, seconds, percentile(d.ms, 0.5), percentile(d.ms, 0.95),
                *std::max_element(d.ms.begin(), d.ms.end()));
}

// The copy started as the demo starts it, then a seek at once to near the
// end (it waits for the copy), then, once the copy is done, seeks anywhere.
void aheadSeeks(SeekCache* cache) {
    std::printf("ahead: frames drawn with no copy running\n");
    liveFrames(cache, 30.0, 300);
    forgetKept(cache);
    double w0 = nowSeconds();
    if (!startSeekingAhead(&ahead, cache)) {
        std::printf("ahead: no copy of the process made here\n");
        return;
    }
    std::printf("ahead: the copy started in %.1f ms; frames drawn while it runs\n",
                1000.0 * (nowSeconds() - w0));
    liveFrames(cache, 30.0, 300);
    std::printf("ahead: the copy has kept %zu moments meanwhile\n", cache->moments.size());
    stopSeekingAhead(&ahead);
    forgetKept(cache);
    w0 = nowSeconds();
    startSeekingAhead(&ahead, cache);
    printSeek("at once, to 218 s", seekTo(cache, 218.0));
    while (ahead.running) takeMomentsKept(&ahead, cache, 100);
    std::printf("ahead: the copy played the whole timeline in %.3f s wall, %.3f s cpu "
                "(%zu moments)\n",
                nowSeconds() - w0, childrenCpuSeconds(), cache->moments.size());
    for (double target : {218.0, 10.0, 160.0, 100.0, 227.0}) {
        char what[64];
        std::snprintf(what, sizeof what, "then to %.0f s", target);
        printSeek(what, seekTo(cache, target));
    }
}

}  // namespace

int main(int argc, char** argv) {
    OffscreenOptions options;
    OptionReader reader = startOptions(program, argc, argv);
    while (nextOption(&reader)) {
        if (helpAsked(reader)) return showHelp(program);
        // Of the shared options, only the data folder: the seeks are the 60 fps clock's.
        bool taken = false;
        if (reader.option != "--data") return refuseUnknown(reader);
        if (const int refused = readSharedOption(&reader, &options, &taken)) return refused;
    }
    if (!options.dataDir.empty()) setDataDirectory(options.dataDir.c_str());
    DemoStart start;
    start.window.offscreen = true;
    start.warmUp = true;
    start.exactSize = true;
    if (!startDemo(start)) return 1;

    SeekCache cache;
    double w0 = nowSeconds();
    prepareSeeking(&cache);
    std::printf("a moment: %zu bytes; the start kept in %.1f ms\n", demoMomentBytes(),
                1000.0 * (nowSeconds() - w0));

    coldSeeks(&cache);
    warmSeeks(&cache);
    aheadSeeks(&cache);
    stopSeekingAhead(&ahead);
    releaseSeeking(&cache);
    return finishStandardOutput(program.name, 0);
}
