#pragma once
#include <cstdint>
#include <vector>

#include "platform/audio_clock.h"

// One drawn frame: when it was drawn and the music time it showed.
struct DrawnFrame {
    uint64_t timeUs;
    int32_t musicMs;
};

struct SyncReport {
    int frames = 0;         // frames compared (those drawn while music was heard)
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
// picture leads the sound).
SyncReport compareSync(const std::vector<DrawnFrame>& frames,
                       const std::vector<AudioHandOver>& handOvers, int rate, int latencyFrames);
