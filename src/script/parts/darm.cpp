// Part 4: the darm scene replayed.
#include <cmath>

#include "fx/overlays.h"
#include "fx/render_scene.h"
#include "script/part_helpers.h"
#include "script/part_table.h"
#include "script/places.h"
#include "state/demo_state.h"
#include "state/gentle_mode.h"

void runPart4() {
    const float pt = demo.DemoClock.partTime;
    const float tt = demo.DemoClock.totalTime;
    setPlainSceneSwitches();
    slot(40)->wireLevel = float(std::sin(pt * 0.06283185307179587) * 0.3 + 0.6);
    // The heads of part 2 stay hidden from here on.
    if (ParticleSystem* heads = particleSystem(scene(darmPlace), 1)) heads->count = 0;

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
