// Part 1: the light scene in its cuts, darkening into the next part.
#include <cmath>

#include "fx/overlays.h"
#include "fx/render_scene.h"
#include "script/part_helpers.h"
#include "script/part_table.h"
#include "script/places.h"
#include "script/timeline.h"
#include "state/demo_state.h"

// The flare of the light scene fades in on the even stretches of the blink
// list and out on the odd ones.
static int blinkDirection(float sceneTime) {
    if (sceneTime <= 0) return 1;
    const int entries = int(sizeof blinkList / sizeof blinkList[0]);
    for (int j = 1; j < entries; ++j)
        if (blinkList[j] >= sceneTime) return j % 2 == 0 ? 1 : 0;
    return 1;  // past the list's end the last stretch holds
}

void runPart1() {
    const float pt = demo.DemoClock.partTime;
    const float tt = demo.DemoClock.totalTime;
    demo.sceneWarpEnabled = 0;
    demo.cullFarZ = -1800;

    float c = 0;
    const int s = selectCut(cutListA, 11, pt, &c);
    const float f1 = c < 20 ? float(1 - c * 0.05) : 0.0f;
    float g1 = 1;
    if (c < 20)
        g1 = float(c * 0.05);
    else if (c > 95)
        g1 = float(1 - (c - 95) * 0.05);

    float t;
    switch (s) {
        case 0: t = c + 100; break;
        case 1: t = c + 550; break;
        case 2: t = 400 - c; break;
        case 3: t = c + 800; break;
        case 4: t = c + 200; break;
        case 5: t = 450 - c; break;
        case 6: t = c + 700; break;
        case 7: t = 280 - c; break;
        default: t = c + 820; break;
    }

    if (FlareSet* flares = flareSet(scene(lightPlace), 0)) flares->fadeDir = blinkDirection(t);
    renderScene(scene(lightPlace), t);
    flashScreen(f1 * 0.5f);
    if (s == 2 || s == 5) {
        drawGridScaled(layer(37), g1 * 0.5f, 1, f1 + 1, 1, tt * 0.5f);
        drawGridScaled(layer(38), g1 * 0.2f, 1, f1 + 1, 1, tt * 0.5f);
    }

    // Written after the scene is drawn: the darkening shows from the next frame.
    float G = 1;
    if (pt > 1050) {
        G = float((1250 - pt) * 0.005);
        if (G < 0) G = 0;
    }
    demo.sceneBrightness = G;
    const float w = float(std::cos((2 - G) * 1.5707963267948966) * 4 + 5);
    drawGridScaled(layer(10), 1 - G, w, w, 1, tt);
    drawGridScaledMultiply(layer(11), 1, w, w, 1, tt);
    drawGridScaled(layer(12), 1 - G, w, w, 1, tt);

    if (demo.partMs < 1500) {
        const float v = float((1500 - demo.partMs) * 0.0006666666666666666);
        drawGridScaled(layer(2), v * 0.5f, 1, 1, 1, tt * 0.5f);
        drawGridScaled(layer(7), v * 0.5f, 1, 1, 1, tt * 1.5f);
        drawGridScaledMultiply(layer(1), 1, v, v * v * v, 1, tt);
        drawGridScaled(layer(0), v, v, v * v * v, 1, tt);
    }
}
