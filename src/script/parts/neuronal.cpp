// Part 3: the neuronal scene under the helmet.
#include <cmath>

#include "fx/overlays.h"
#include "fx/render_scene.h"
#include "script/part_helpers.h"
#include "script/part_table.h"
#include "script/places.h"
#include "state/demo_state.h"

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
