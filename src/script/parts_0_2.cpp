// Parts 0 to 2: the title, the light scene, the hand-over into the darm scene.
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

void runPart0() {
    const float pt = demo.DemoClock.partTime;
    const float tt = demo.DemoClock.totalTime;
    setPlainSceneSwitches();

    // Not capped above: the drift pictures stay at full strength until ms 10000.
    float fade = 1;
    if (demo.partMs > 1000) {
        fade = float((13000 - demo.partMs) * 0.0003333333333333333);
        if (fade < 0) fade = 0;
    }

    drawGridScaled(layer(2), 0.5f, 1, 1, 1, tt * 0.5f);
    drawGridScaled(layer(7), 0.5f, 1, 1, 1, tt * 1.5f);
    drawGridScaled(layer(4), fade, 1, 1, 1, pt * 0.33333334f + 50);
    drawGridScaled(layer(5), fade, 1, 1, 1, pt * 0.25f + 30);
    drawGridScaled(layer(6), fade, 1, 1, 1, pt * 0.33333334f + 90);
    drawGridScaled(layer(3), fade, 1, 1, 1, pt * 0.2f + 130);
    drawGridScaledMultiply(layer(1), 1, 1, 1, 1, tt);
    drawGridScaled(layer(0), 1, 1, 1, 1, tt);

    if (pt < 100) fadeScreen(float(pt * 0.01));
}

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

    scene(lightPlace)->flareSets[0].fadeDir = blinkDirection(t);
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

void runPart2() {
    const float pt = demo.DemoClock.partTime;
    const float tt = demo.DemoClock.totalTime;
    demo.sceneWarpEnabled = 0;
    demo.transparentNoFog = 0;
    demo.cullFarZ = -100800;

    if (pt < 50) {
        // The light scene's tail over black; the darm scene drawn next shows
        // through the opened screen cells only.
        demo.sceneBrightness = 0;
        renderScene(scene(lightPlace), pt + 1000);
        drawGridScaled(layer(10), 1, 1, 1, 1, tt);
        fadeScreen(float(1 - pt * 0.02));
        maskScreenCells(int(pt * 0.2f));
    }

    // The system owns five heads; the count never goes above that.
    const float heads = clampTo(float((pt - 50) * 0.008771929889917374), 0, 5);
    demo.sceneBrightness = 1;
    scene(darmPlace)->particleSystems[1].count = int(heads);
    renderScene(scene(darmPlace), pt * 0.5f);

    if (pt > 507) {
        const int k = int(pt - 507) % 114;
        float beat = float(2 - k * 0.06666666666666667);
        if (beat < 1) beat = 1;
        drawGridScaledMultiply(layer(21), 1, 1, beat, 1, tt * 0.5f);
        drawGridScaled(layer(22), 1, 1, beat, 1, tt * 0.5f);
        const float o = float(2.5 - (pt - 520) * 0.01);
        drawGridOffset(layer(24), 1, o, 0, 0, tt * 0.5f);
        drawGridOffset(layer(25), 1, -o, 0, 0, tt * 0.5f);
    }

    const float q = float((pt - 520) * 0.0025);
    const float p = pt < 300 ? pt * 0.0033333334f : 1.0f;
    drawGridOffset(layer(26), p * 0.4f, 0, q, 0, tt * 0.5f);
    drawGridOffset(layer(26), p * 0.25f, 0.15f, 2 - q, 0, tt * 0.5f);
    drawGridOffset(layer(26), p * 0.1f, 0.3f, q * 0.7f - 2, 0, tt * 0.5f);

    drawClosingWipe(pt, 910, tt);
}
