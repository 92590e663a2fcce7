#pragma once
#include <cstdint>

#include "script/part_table.h"

// The parts of the demo on the music clock, and the constant tables the part
// bodies share.
enum : int { partCount = int(sizeof partTable / sizeof partTable[0]) };

namespace timeline_rows {
// The set-ups' places in the loading order are 0, 1, 2, ... once each.
constexpr bool setupOrderIsWhole() {
    int setups = 0;
    for (const PartRow& row : partTable) setups += row.setupOrder >= 0 ? 1 : 0;
    for (int order = 0; order < setups; ++order) {
        int found = 0;
        for (const PartRow& row : partTable) found += row.setupOrder == order ? 1 : 0;
        if (found != 1) return false;
    }
    return true;
}
constexpr bool startsRise() {
    for (int i = 1; i < partCount; ++i)
        if (partTable[i].startMs <= partTable[i - 1].startMs) return false;
    return partTable[0].startMs == 0 && partTableEndMs > partTable[partCount - 1].startMs;
}
struct Boundaries {
    int32_t ms[partCount + 1];
    constexpr int32_t operator[](int i) const { return ms[i]; }
};
constexpr Boundaries boundaries() {
    Boundaries b{};
    for (int i = 0; i < partCount; ++i) b.ms[i] = partTable[i].startMs;
    b.ms[partCount] = partTableEndMs;
    return b;
}
}  // namespace timeline_rows

static_assert(timeline_rows::setupOrderIsWhole(), "every set-up needs its own place in the order");
static_assert(timeline_rows::startsRise(), "the parts start one after another from 0");

// The table's last row is the tail after the last part that draws: the demo's
// last frame is its first.
enum : int { lastPlayedPart = partCount - 2 };

// Part i plays while the elapsed milliseconds are above Timeline[i] and at most
// Timeline[i + 1] (part 0 from the start): the starts of the table's rows and
// its end. The soundtrack generator, the warm-up, the capture, bench and
// runner tools all read it (demo-bench --print-timeline prints it).
inline constexpr timeline_rows::Boundaries Timeline = timeline_rows::boundaries();

// The end of the last part that draws: the demo's last frame is the first one
// past it.
inline constexpr int32_t timelineEndMs = Timeline[lastPlayedPart + 1];
inline constexpr double timelineEndSeconds = timelineEndMs / 1000.0;

extern const float cutListA[11];
extern const float cutListB[11];
extern const float blinkList[13];
extern const float morphBlendTable[20];

// Part index for the elapsed milliseconds since the music started: 0 up to
// 13200, ..., 9 up to 240000, 10 beyond.
int partIndexForElapsed(int32_t elapsedMs);
// Milliseconds since the start of that part (elapsed itself for part 0).
int32_t partStartMs(int part);

// Cut index of a part time in a cut list (C[0] is 0): 0 while at most C[1],
// else the smallest i >= 1 with partTime at most C[i + 1]. *cutTime = partTime - C[s].
int selectCut(const float* cutList, int listSize, float partTime, float* cutTime);

// Clear colour of a part, its row's (part 6 dark blue, the others black);
// black outside the table.
void partClearColour(int part, float rgba[4]);
