// Part 2: the light scene hands over to the darm scene and its swarm.

#include "fx/overlays.h"
#include "fx/render_scene.h"
#include "script/part_helpers.h"
#include "script/part_table.h"
#include "script/places.h"
#include "state/demo_state.h"

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
    if (ParticleSystem* system = particleSystem(scene(darmPlace), 1)) system->count = int(heads);
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
