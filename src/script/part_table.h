#pragma once
#include <cstdint>

// The demo's parts, one row each. A part is its row here, its body in
// parts/NAME.cpp and, when it builds a scene of its own, its set-up in
// setup_NAME.cpp; places.h names what a set-up builds for the bodies.

// What each part brings. A set-up runs once while loading (1 on success, 0
// stops the loading); a body draws one frame from demo.partMs and
// demo.DemoClock.
int setupLogoAssets();
int setupLightScene();
int setupNeuronalScene();
int setupDarmScene();
int setupAterieScene();
int setupFischScene();
int setupMirrorScene();
int setupKopuliScene();
void runPart0();
void runPart1();
void runPart2();
void runPart3();
void runPart4();
void runPart5();
void runPart6();
void runPart7();
void runPart8();

struct PartRow {
    // The part plays while the music's milliseconds are above this and at
    // most the next row's start (part 0 from the start).
    int32_t startMs;
    // Its set-up, or null where it draws what others build; setupOrder is the
    // set-up's place in the loading order (the same order every run, so the
    // pictures land in the same texture names), -1 without one.
    int (*setup)();
    int setupOrder;
    // Its body; null only in the last row, the tail that draws nothing.
    void (*body)();
    // What its frames are cleared to.
    float clear[4];
};

inline constexpr PartRow partTable[] = {
    {0, setupLogoAssets, 0, runPart0, {0, 0, 0, 0}},
    {13200, setupLightScene, 1, runPart1, {0, 0, 0, 0}},
    {54300, nullptr, -1, runPart2, {0, 0, 0, 0}},
    {82200, setupNeuronalScene, 2, runPart3, {0, 0, 0, 0}},
    {107800, setupDarmScene, 5, runPart4, {0, 0, 0, 0}},
    {134000, setupAterieScene, 3, runPart5, {0, 0, 0, 0}},
    {173000, setupFischScene, 4, runPart6, {0.1f, 0.1f, 0.2f, 0.2f}},
    {200700, setupMirrorScene, 7, runPart7, {0, 0, 0, 0}},
    {217300, setupKopuliScene, 6, runPart8, {0, 0, 0, 0}},
    {228000, nullptr, -1, nullptr, {0, 0, 0, 0}},
};

// Where the last part ends: the music's end.
inline constexpr int32_t partTableEndMs = 240000;
