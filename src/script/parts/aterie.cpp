// Part 5: the aterie shots and their closing words.
#include <cmath>

#include "fx/overlays.h"
#include "fx/render_scene.h"
#include "script/part_helpers.h"
#include "script/part_table.h"
#include "script/places.h"
#include "script/timeline.h"
#include "state/demo_state.h"
#include "state/gentle_mode.h"

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
