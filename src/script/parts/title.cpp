// Part 0: the title pictures drifting in over the credits.

#include "fx/overlays.h"
#include "script/part_helpers.h"
#include "script/part_table.h"
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
