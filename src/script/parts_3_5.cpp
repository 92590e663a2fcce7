// Parts 3 to 5: the neuronal scene, the darm scene replayed, the aterie shots.
#include <cmath>

#include "fx/grid_layer.h"
#include "fx/overlays.h"
#include "fx/render_scene.h"
#include "fx/switches.h"
#include "script/part_helpers.h"
#include "script/parts.h"
#include "script/places.h"
#include "script/timeline.h"
#include "state/demo_state.h"
#include "state/gentle_mode.h"

void runPart3() {
    const float pt = demo.DemoClock.partTime;
    const float tt = demo.DemoClock.totalTime;
    demo.sceneWarpEnabled = 1;
    demo.cullFarZ = -30000;
    demo.transparentNoFog = 0;
    slot(25)->wireLevel = 0.5f;

    // Loops every 250 scene units; exactly 250 still shows the loop's end.
    float s3 = pt * 0.5f;
    while (s3 > 250) s3 -= 250;
    renderScene(scene(neuronalPlace), s3);

    float A;
    if (pt <= 100)
        A = 1;
    else if (pt <= 200)
        A = float(1 - (pt - 100) * 0.01);
    else if (pt <= 400)
        A = 0;
    else if (pt <= 500)
        A = float((pt - 400) * 0.01);
    else
        A = 1;
    drawGridOffsetMultiply(layer(helmetMaskLayer), 1, -A, 0, 0, tt * 0.5f);
    drawGridOffset(layer(helmetLayer), 1, -A, 0, 0, tt * 0.5f);

    if (pt > 460) {
        const float c = float(std::cos(pt * 0.005) * 0.25);
        const float d = clampTo(float((pt - 460) * 0.005), 0, 1);
        drawGridOffset(layer(32), d * 0.5f, 0, c, 0, tt * 0.2f);
    }

    float e;
    if (pt < 100)
        e = float(pt * 0.01);
    else if (pt <= 400)
        e = 1;
    else
        e = float(1 - (pt - 400) * 0.01);
    e = clampTo(e, 0, 1);
    drawGridScaled(layer(39), e * 0.6f, float(std::cos(pt * 0.1) * 0.1 + 1), 1, 1, tt);
    drawGridScaled(layer(50), e * 0.3f, 1, float(std::sin(pt * 0.1) * 0.2 + 1), 1, tt);

    if (pt < 100) fadeScreen(float(pt * 0.01));
    if (pt > 800) fadeScreen(float(1 - (pt - 800) * 0.01));
}

void runPart4() {
    const float pt = demo.DemoClock.partTime;
    const float tt = demo.DemoClock.totalTime;
    setPlainSceneSwitches();
    slot(40)->wireLevel = float(std::sin(pt * 0.06283185307179587) * 0.3 + 0.6);
    // The heads of part 2 stay hidden from here on.
    scene(darmPlace)->particleSystems[1].count = 0;

    // Gentle play replays it at its own pace: at double speed the patterned
    // walls sweep past in a flicker of light and dark patches.
    renderScene(scene(darmPlace), gentleMode.on ? pt + 700 : pt * 2 + 700);

    float m = 1.2f;
    if (pt > 100) m = float(1.2 - (pt - 100) * 0.012048192771084338);
    if (pt > 300) m = float((pt - 300) * 0.012048192771084338);
    if (pt >= 400)
        m = 1.2f;
    else
        m = clampTo(m, 0, 1.2f);
    drawMaskedPicture(40, 41, m, tt);

    // Tested against 100 but anchored at 200: the text jumps in from offset 5.
    const float n = flyingWordsOffset(pt, 100, 200);
    drawGridOffset(layer(42), 0.7f, n, 0, 0, tt * 0.5f);
    drawGridOffset(layer(43), 0.3f, n * 1.5f, 0, 0, tt * 0.5f);

    if (pt > 800) fadeScreen(clampTo(float(1 - (pt - 800) * 0.01), 0, 1));
    if (pt < 50) flashScreen(float(1 - pt * 0.02));
}

// Part 5's closing layers over every shot that shows the scene.
static void drawAterieTail(int shot, float pt, float c, float tt) {
    const float wave = float(std::sin(pt * 0.005));
    const float w = shot % 2 ? -wave : wave;
    drawGridScaled(layer(insideWordsLayer), 0.3f, 1, wave * 0.1f + 1, 1, tt * 0.5f);
    drawGridOffset(layer(outsideWordsLayer), 0.3f, 0, w, 0, tt * 0.5f);
    drawGridOffset(layer(outsideWordsLayer), 0.2f, 0.1f, w * 0.8f + 0.4f, 0, tt * 0.5f);
    drawGridScaled(layer(insideWordsWideLayer), 0.15f, wave * 0.2f + 1, 1, 1, tt * 0.5f);
    drawGridScaled(layer(insideWordsWideLayer), 0.05f, 1.5f, 1, 1, tt * 0.5f);
    if (c < 50) fadeScreen(float(c * 0.02));
    if (gentleMode.on) {
        // A shot closes over its last 15 units, not in a blink of 5.
        if (c > 100) fadeScreen(float((115 - c) / 15));
    } else if (c > 110) {
        fadeScreen(float(1 - (c - 110) * 0.2));
    }
}

// The scene shots of part 5: the scene at start + rate x the cut's time, then
// the embryo's mask multiplied in and the embryo over it at a brightness (0:
// neither). Shots 4 and 8 show a picture instead.
struct AterieShot {
    float start, rate;
    bool mask;
    float picture;
};
static const AterieShot aterieShots[8] = {
    {0, 1, true, 1},        {500, -1, true, 1},     {250, 1, false, 0},
    {1200, 1, false, 0.5f}, {},                     {350, -0.5f, false, 1},
    {1300, -0.5f, true, 0.5f}, {450, 1, false, 0.2f},
};

// The artery's wall (slot 31) and blood cells (slot 32), or in gentle play
// their tempered twins where those loaded.
static void chooseArteryPictures(bool gentle) {
    const int wall = gentle && slot(temperedWallSlot)->glTexture ? temperedWallSlot : 31;
    const int blood = gentle && slot(temperedBloodSlot)->glTexture ? temperedBloodSlot : 32;
    Scene* aterie = scene(ateriePlace);
    for (int i = 0; i < aterie->objectCount; ++i) {
        int& index = aterie->objects[i].textureIndex;
        if (index == 31 || index == temperedWallSlot) index = wall;
    }
    for (int i = 0; i < aterie->particleSystemCount; ++i)
        aterie->particleSystems[i].texture = slot(blood);
}

void runPart5() {
    const float pt = demo.DemoClock.partTime;
    const float tt = demo.DemoClock.totalTime;
    setPlainSceneSwitches();
    chooseArteryPictures(gentleMode.on);

    float c = 0;
    const int s = selectCut(cutListB, 11, pt, &c);
    switch (s) {
        case 4:
            // A picture shot: no scene and no closing layers.
            drawGridScaled(layer(35), 1, 1, 1, 1, tt * 0.5f);
            if (c < 50) fadeScreen(float(c * 0.02));
            if (c > 100) fadeScreen(float(1 - (c - 100) * 0.05));
            return;
        case 8:
            drawGridScaled(layer(34), 1, 1, 1, 1, tt * 0.5f);
            if (c < 50) fadeScreen(float(c * 0.02));
            if (pt > 1200) fadeScreen(float(1 - (pt - 1200) * 0.01));
            return;
        default:
            if (s < 0 || s > 7) return;  // past the part's end
    }
    const AterieShot& shot = aterieShots[s];
    renderScene(scene(ateriePlace), float(double(shot.start) + double(shot.rate) * c));
    if (shot.mask) drawGridScaledMultiply(layer(36), 1, 1, 1, 1, tt * 0.5f);
    if (shot.picture > 0) drawGridScaled(layer(33), shot.picture, 1, 1, 1, tt * 0.5f);
    drawAterieTail(s, pt, c, tt);
}
