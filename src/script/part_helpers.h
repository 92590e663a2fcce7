#pragma once
#include "fx/grid_layer.h"
#include "scene/scene.h"
#include "scene/texture_slot.h"
#include "script/places.h"
#include "state/demo_state.h"

// Short names for the fixed table entries the part bodies address by number.
inline GridLayer* layer(int k) { return &demo.GridLayerTable[k]; }
inline Scene* scene(int k) { return &demo.SceneBank[k]; }
inline TextureSlot* slot(int k) { return &demo.TextureTable[k]; }

// The particle system or flare set a body steers, or null where the set-up
// did not make it (its file missing, or no room left): the body leaves it be.
inline ParticleSystem* particleSystem(Scene* s, int i) {
    return i < s->particleSystemCount ? &s->particleSystems[i] : nullptr;
}
inline FlareSet* flareSet(Scene* s, int i) {
    return i < s->flareSetCount ? &s->flareSets[i] : nullptr;
}

inline float clampTo(float value, float low, float high) {
    if (value < low) return low;
    if (value > high) return high;
    return value;
}

// The scene switches as the plain scene parts (0, 4, 5) set them first: no
// warp, the usual far limit, full brightness.
inline void setPlainSceneSwitches() {
    demo.sceneWarpEnabled = 0;
    demo.cullFarZ = -1800;
    demo.sceneBrightness = 1;
}

// A picture over its mask, both moved sideways by x: the mask darkens the
// frame, the picture is added where it was darkened.
inline void drawMaskedPicture(int maskLayer, int pictureLayer, float x, float tt) {
    drawGridOffsetMultiply(layer(maskLayer), 1, x, 0, 0, tt * 0.5f);
    drawGridOffset(layer(pictureLayer), 1, x, 0, 0, tt * 0.5f);
}

// The closing wipe of parts 2 and 7: after `start` its two halves slide in
// from two units out and meet 80 units later.
inline void drawClosingWipe(float pt, float start, float tt) {
    if (pt > start) {
        float r = float(2 - (pt - start) * 0.025);
        if (r < 0) r = 0;
        drawGridOffsetMultiply(layer(wipeFirstLayer), 1, 0, -r, 0, tt * 0.5f);
        drawGridOffsetMultiply(layer(wipeSecondLayer), 1, 0, r, 0, tt * 0.5f);
    }
}

// Where flying words stand: three units out until `from`, then moving in at
// 0.02 a unit, reckoned from `anchor`.
inline float flyingWordsOffset(float pt, float from, float anchor) {
    float n = 3;
    if (pt > from) n = float(3 - (pt - anchor) * 0.02);
    return n;
}

// The water pictures (parts 6 and 7) are optional: without them the slot
// keeps its picture.
inline bool waterReady() {
    return demo.waterCanvas && demo.surfaceTexelTable && demo.waterOffsetTable;
}
