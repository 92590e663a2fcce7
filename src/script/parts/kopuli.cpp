// Part 8: the kopuli end.
#include <cmath>

#include "fx/overlays.h"
#include "fx/render_scene.h"
#include "script/part_helpers.h"
#include "script/part_table.h"
#include "script/places.h"
#include "state/demo_state.h"

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
