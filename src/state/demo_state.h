#pragma once
#include <cstdint>

#include "state/demo_clock.h"

struct TextureSlot;
struct GridLayer;
struct Scene;
struct Vec3;
struct Image;

// Everything the demo changes while it loads and plays, in one record. The
// drawing code, the part bodies, the loaders and the keyboard all read and
// write their own fields of the one `demo`; the frame loop's clock, the
// switches and the tables live for the whole run. The record lies at the
// start of the changing arena (state/demo_memory.h), which is the demo
// between two frames.
//
// The element types are only named here: each layer includes the headers of
// the fields it touches.
struct DemoState {
    // The three shared tables, 1024 entries each, zero-filled by makeDemoState.
    TextureSlot* TextureTable;
    GridLayer* GridLayerTable;
    Scene* SceneBank;

    // The frame loop's clock. Hooks keep &demo.DemoClock.partTime: the record
    // stays at one place.
    DemoClockRecord DemoClock;
    int partMs;             // integer milliseconds since the current part began
    uint32_t musicStartMs;  // timer reading at which the music started

    // Scene-wide switches: set by the part bodies, read by the drawing code.
    float cullNearZ;
    float cullFarZ;
    float sceneBrightness;
    int sceneWarpEnabled;
    int transparentNoFog;

    // The program's one pseudo-random sequence.
    uint32_t randomState;

    // Particle paths sampled at load time (3001 points each).
    Vec3* darmPath;
    Vec3* ateriePath1;
    Vec3* ateriePath2;

    // The procedural water: pictures from the BMP files and the tables built
    // from them. Null when a picture could not be read (the water is skipped).
    Image* waterCanvas;
    Image* surfaceImage;
    Image* waterImage;
    uint16_t* waterOffsetTable;
    int32_t* surfaceTexelTable;

    // Wall-clock seconds this frame spent computing outside GL (read by the
    // benchmark).
    double frameComputeSeconds;

    // Which keys are down, by Windows virtual-key code (Escape is 27). Written
    // by the backends through applyVirtualKey.
    int KeyState[256];
};

// The one record, at the start of the changing arena (state/demo_memory.h).
extern DemoState& demo;

// Makes the record: every value back to its start (switches, clock, random
// sequence, nothing loaded), the demo's arenas emptied (state/demo_memory.h),
// then the three zero-filled tables in the changing one. The keys stay as they
// are: a key held while loading still counts. 0 when memory is short.
int makeDemoState();

// Gives the three tables back with everything the set-ups hung off them (all
// of it lives in the arenas, which are emptied) and leaves no table pointer
// behind; freeAll first clears the pointers the set-ups left in the record.
void freeDemoState();

// The switches back to their start values (start-up and tests).
void resetSceneSwitches();
