#pragma once
#include <cstdint>

// The ten parts of the demo on the music clock, and the constant tables the
// part bodies share.
enum : int { partCount = 10, lastPlayedPart = 8 };

// Part i plays while the elapsed milliseconds are above Timeline[i] and at most
// Timeline[i + 1] (part 0 from the start). The one definition of the part
// boundaries: the soundtrack generator, the warm-up, the capture, bench and
// runner tools all read it (demo-bench --print-timeline prints it).
inline constexpr int32_t Timeline[partCount + 1] = {0,      13200,  54300,  82200,
                                                    107800, 134000, 173000, 200700,
                                                    217300, 228000, 240000};

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

// Clear colour of a part (part 6 dark blue, everything else black).
void partClearColour(int part, float rgba[4]);
