// Parts 6 to 8: the fish scene under water, the mirror scene, the kopuli end.
#include <cmath>

#include "fx/deformers.h"
#include "fx/grid_layer.h"
#include "fx/morph.h"
#include "fx/overlays.h"
#include "fx/render_scene.h"
#include "fx/switches.h"
#include "fx/water.h"
#include "image/texture_table.h"
#include "scene/evaluate.h"
#include "script/part_helpers.h"
#include "script/parts.h"
#include "script/places.h"
#include "script/setup.h"
#include "script/timeline.h"
#include "state/demo_state.h"

// The water pictures are optional: without them the slot keeps its picture.
static bool waterReady() {
    return demo.waterCanvas && demo.surfaceTexelTable && demo.waterOffsetTable;
}

// Piecewise-linear through the blend table at scene times 0, 100, 200, ...
static float morphBlend(float t) {
    const int last = int(sizeof morphBlendTable / sizeof morphBlendTable[0]) - 1;
    const float x = t * 0.01f;
    int i = int(x);
    if (i < 0) i = 0;
    if (i > last - 1) i = last - 1;
    return morphBlendTable[i] + (x - float(i)) * (morphBlendTable[i + 1] - morphBlendTable[i]);
}

void runPart6() {
    const float pt = demo.DemoClock.partTime;
    demo.sceneWarpEnabled = 0;
    demo.transparentNoFog = 1;

    float c = 0;
    const int s = selectCut(cutListA, 11, pt, &c);

    // The canvas is made afresh for each frame drawn, and only the upload
    // reads it: frames played unseen (no vertices evaluated) go without.
    if (waterReady()) {
        if (verticesEvaluated())
            generateWaterTexture(demo.waterCanvas, demo.surfaceTexelTable,
                                 demo.waterOffsetTable, pt * 0.5f);
        uploadImageToTexture(slot(63), demo.waterCanvas);
    }

    static const float cutOffset[9] = {50, 750, 450, 300, 750, 600, 100, 300, 820};
    const float t = c + cutOffset[s < 9 ? s : 8];
    morphMeshFramesA(t * 0.2f, morphBlend(t), 0);
    renderScene(scene(fischPlace), t);

    if (pt > 850) fadeScreen(float(1 - (pt - 850) * 0.014285714285714285));
    if (pt < 50) flashScreen(float(1 - pt * 0.02));
}

void runPart7() {
    const float pt = demo.DemoClock.partTime;
    const float tt = demo.DemoClock.totalTime;
    demo.sceneWarpEnabled = 0;
    demo.transparentNoFog = 0;

    if (waterReady()) {
        if (verticesEvaluated())
            generateWaterTextureTransposed(demo.waterCanvas, demo.surfaceTexelTable,
                                           demo.waterOffsetTable, pt * 0.5f);
        uploadImageToTexture(slot(81), demo.waterCanvas);
    }

    morphMeshFramesB(pt * 0.2f, 0, 0);
    Scene* mirror = scene(mirrorPlace);
    if (mirror->objectCount >= 3)
        mirrorRippleVertices(&mirror->objects[2], &mirror->objects[0], pt);
    renderScene(mirror, pt);

    float v = 1;
    if (pt > 200) v = clampTo(float(1 - (pt - 200) * 0.02), 0, 1);
    if (pt > 350) v = float((pt - 350) * 0.02);
    v = clampTo(v, 0, 1);
    drawMaskedPicture(44, 45, v, tt);

    const float n = flyingWordsOffset(pt, 300, 300);
    drawGridOffset(layer(46), 0.5f, n, 0, 0, tt * 0.5f);
    drawGridOffset(layer(47), 0.3f, n * 1.5f, 0, 0, tt * 0.5f);
    drawGridOffset(layer(48), 0.2f, -n * 0.5f - 2, 0, 0, tt * 0.5f);

    drawClosingWipe(pt, 500, tt);
}

void runPart8() {
    const float pt = demo.DemoClock.partTime;
    const float tt = demo.DemoClock.totalTime;
    // No switch writes: part 7's values stand.

    float s8 = pt;
    while (s8 >= 200) s8 -= 200;
    renderScene(scene(kopuliPlace), s8);

    const float a = float(std::sin(pt * 0.01) * 0.2);
    drawGridScaled(layer(54), 0.7f, a + 1, 1, 1, tt * 0.5f);
    drawGridScaled(layer(55), 0.3f, 1 - a, 1, 1, tt * 0.5f);

    flashScreen(pt < 50 ? float((1 - pt * 0.02) * 0.5) : 0.0f);
    fadeScreen(pt > 250 ? float(1 - (pt - 250) * 0.01) : 1.0f);
}
