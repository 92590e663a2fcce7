#pragma once
#include <cstdint>
#include <vector>

#include "script/demo_moment.h"

// A seek: the demo put where the capture's fixed-step play (60 frames a
// second from the start) is at a frame, and that frame drawn. What carries
// history from frame to frame (particles, flares, water, morphs, track
// cursors) is made by playing the frames before it without rasterizing, from
// the nearest moment kept; a live play's own history depends on its frame
// times, so the fixed-step one is the reference, and the frame after a seek
// to T is the capture's frame at T.
//
// The moments kept: the start, taken once loading is done, and every
// seekKeepEveryFrames frames that any seek plays past, so each stretch of the
// timeline is played through once and a later seek into it plays at most that
// many frames. They form one chain from the start (a seek past the last one
// plays on from it), each kept as its changes against the one before. Where
// the platform can copy the process, the copy plays the whole timeline ahead
// in the background once loading is done and hands its moments to the cache
// (shell/seek_ahead.h); the play waits for them before it seeks, so a seek
// finds the moment before its frame already kept and keeps none itself.

enum : long { seekFrameRate = 60, seekKeepEveryFrames = 180 };

struct KeptMoment {
    long frame;             // the last frame drawn before the moment
    MomentChanges changes;  // against the moment before (the start for the first)
};

struct SeekCache {
    DemoMoment start;                 // before frame 0
    std::vector<KeptMoment> moments;  // frames 179, 359, ... in order
    bool prepared = false;
    // The whole moment put back last (lastFrame; -1: the start), which the
    // next moment kept is told against.
    DemoMoment last;
    long lastFrame = -1;
    // Told of each moment as it is kept (the copy playing ahead sends it on).
    void (*kept)(KeptMoment* moment) = nullptr;
};

// The frame of the chain's last moment, -1 while it has none.
inline long chainEnd(const SeekCache& cache) {
    return cache.moments.empty() ? -1 : cache.moments.back().frame;
}

// Keeps the start: call once after loading, before any frame is drawn.
void prepareSeeking(SeekCache* cache);
bool seekingPrepared(const SeekCache& cache);
// Releases what was kept (before the demo itself is freed).
void releaseSeeking(SeekCache* cache);

// The frame of the fixed-step clock a music time falls on: the first at or
// after it, as the capture's --time counts them. And the music time of one.
long seekFrameAtMs(uint32_t ms);
long seekFrameAtSeconds(double seconds);
uint32_t seekFrameMs(long frame);

// Polled every few frames of a long replay: false abandons the seek (the
// viewer ended the demo meanwhile). Null never abandons.
struct SeekWatch {
    bool (*keepGoing)(void* user) = nullptr;
    void* user = nullptr;
};

// Draws `frame` (0 or later) into the back buffer after putting the demo in
// the state the fixed-step play leaves before it; nothing is presented. The
// clock reads the fixed-step time (demo.musicStartMs is 0 afterwards).
// False when abandoned: the demo's state is then unfinished.
bool drawSeekFrame(SeekCache* cache, long frame, const SeekWatch& watch = SeekWatch{});
