// Part 7: the mirror scene.

#include "fx/deformers.h"
#include "fx/morph.h"
#include "fx/render_scene.h"
#include "fx/water.h"
#include "image/texture_table.h"
#include "scene/evaluate.h"
#include "script/part_helpers.h"
#include "script/part_table.h"
#include "script/places.h"
#include "state/demo_state.h"

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
