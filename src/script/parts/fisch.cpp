// Part 6: the fish scene under water, morphing.

#include "fx/morph.h"
#include "fx/overlays.h"
#include "fx/render_scene.h"
#include "fx/water.h"
#include "image/texture_table.h"
#include "scene/evaluate.h"
#include "script/part_helpers.h"
#include "script/part_table.h"
#include "script/places.h"
#include "script/timeline.h"
#include "state/demo_state.h"

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
