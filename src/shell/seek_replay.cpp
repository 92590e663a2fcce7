#include "shell/seek_replay.h"

#include <cmath>
#include <utility>

#include "script/frame_loop.h"
#include "script/history_only.h"
#include "shell/frame_clock.h"
#include "state/demo_state.h"

namespace {

// How often a long replay asks whether to go on.
enum : long { watchEveryFrames = 30 };

constexpr FrameRate seekRate = {seekFrameRate, 1};

struct Replay {
    SeekCache* cache;
    const SeekWatch* watch;
    long target;
    FixedStepReadings clock;  // from the frame after the state put back
    bool abandoned;
};

uint32_t replayClock(void* user) { return readFixedStep(&static_cast<Replay*>(user)->clock); }

// The chain grows only from its end, by a replay that started there.
void keepIfDue(Replay* r) {
    SeekCache* c = r->cache;
    const long frame = r->clock.current;
    if (frame >= r->target || frame != chainEnd(*c) + seekKeepEveryFrames ||
        c->lastFrame != chainEnd(*c))
        return;
    KeptMoment moment;
    moment.frame = frame;
    keepMomentChanges(&c->last, &moment.changes);
    c->moments.push_back(std::move(moment));
    c->lastFrame = frame;
    if (c->kept) c->kept(&c->moments.back());
}

// Puts back the moment kept last before `frame`; returns its frame.
long putBackBefore(SeekCache* c, long frame) {
    c->last.bytes = c->start.bytes;
    c->lastFrame = -1;
    for (const KeptMoment& m : c->moments) {
        if (m.frame >= frame) break;
        applyMomentChanges(m.changes, &c->last);
        c->lastFrame = m.frame;
    }
    putMomentBack(c->last);
    return c->lastFrame;
}

void afterReplayFrame(void* user) {
    Replay* r = static_cast<Replay*>(user);
    keepIfDue(r);
    playForHistoryOnly(r->clock.current + 1 < r->target);
    if (r->clock.current % watchEveryFrames == 0 && r->watch->keepGoing &&
        !r->watch->keepGoing(r->watch->user))
        r->abandoned = true;
}

int replayDone(void* user) {
    const Replay* r = static_cast<const Replay*>(user);
    return r->abandoned || r->clock.current >= r->target;
}

}  // namespace

void prepareSeeking(SeekCache* cache) {
    releaseSeeking(cache);
    keepMoment(&cache->start);
    cache->prepared = true;
}

bool seekingPrepared(const SeekCache& cache) { return cache.prepared; }

void releaseSeeking(SeekCache* cache) { *cache = SeekCache{}; }

long seekFrameAtMs(uint32_t ms) { return framesBeforeMs(seekRate, ms); }

// As the capture's --time counts.
long seekFrameAtSeconds(double seconds) { return firstFrameAtSeconds(seekRate, seconds); }

uint32_t seekFrameMs(long frame) { return frameTimeMs(seekRate, frame); }

bool drawSeekFrame(SeekCache* cache, long frame, const SeekWatch& watch) {
    if (!seekingPrepared(*cache) || frame < 0) return false;
    // The frame itself is always drawn from the one before it, as in the
    // fixed-step play.
    const long from = putBackBefore(cache, frame);
    demo.musicStartMs = 0;
    Replay r = {cache, &watch, frame, {}, false};
    r.clock.rate = seekRate;
    r.clock.next = from + 1;
    r.clock.current = from;
    playForHistoryOnly(r.clock.next < frame);
    runDemo(FrameLoopIo{.readTimer = replayClock, .presentFrame = afterReplayFrame,
                        .callerDone = replayDone, .user = &r});
    playForHistoryOnly(false);
    return !r.abandoned && r.clock.current == frame;
}
