#pragma once
#include <cstdint>
#include <vector>

#include "platform/audio_clock.h"

// One drawn frame: when it was drawn and the music time it showed.
struct DrawnFrame {
    uint64_t timeUs;
    int32_t musicMs;
};

// The goal for the sound heard, and the gate a check holds a run to: a busy
// machine's noise stays within the gate, a clock on the wrong time base or a
// lost latency (tens to hundreds of milliseconds) does not. The click tests
// judge by the same two (tests/support/sync_clicks.py). Drift between the
// first and the last second: 5 ms for the goal, the gate's 25 for the gate.
struct SyncLimits {
    const char* name;
    double offsetMs;
    double driftMs;
};
constexpr SyncLimits syncGoal = {"goal", 10, 5};
constexpr SyncLimits syncGate = {"CI gate", 25, 25};

// How late a device's hand-over may come, against the frames it handed over
// before, before it counts as a stall: the sound heard stood still (a thread
// that drives the device woke late on a busy machine), and the clock is given
// a second to follow before frames are judged again.
enum : int { syncStallUs = 5000, syncFollowUs = 1000000 };

struct SyncReport {
    int frames = 0;         // frames judged (drawn while music was heard, not just after a stall)
    int excused = 0;        // frames drawn during a stall or the second after, not judged
    int stalls = 0;         // hand-overs that came late
    double firstMs = 0;     // mean offset over the first second
    double lastMs = 0;      // mean offset over the last second
    double worstMs = 0;     // largest offset, either sign
    double p95Ms = 0;       // 95 % of the frames are within this (absolute)
    double driftMs = 0;     // lastMs - firstMs
    double seconds = 0;     // span compared
};

// The sample frame being heard at timeUs, from the device's hand-overs (in
// order): the frames before the latest buffer taken, what played of it since,
// less what the device holds in front of it. Negative before the first.
double heardFrame(const std::vector<AudioHandOver>& handOvers, uint64_t timeUs, int rate,
                  int latencyFrames);

// Offsets of the drawn music time against the heard one (positive: the
// picture leads the sound), over the frames judged.
SyncReport compareSync(const std::vector<DrawnFrame>& frames,
                       const std::vector<AudioHandOver>& handOvers, int rate, int latencyFrames);

// Whether a report holds to the limits: frames judged, 95 % of them and the
// first second within the offset, and the drift within its own.
bool syncWithin(const SyncReport& r, const SyncLimits& limits);
