#include "state/demo_state.h"

#include <new>

#include "fx/grid_layer.h"
#include "scene/scene.h"
#include "scene/texture_slot.h"
#include "state/demo_memory.h"

namespace {

// The start values, here once: the definition, makeDemoState and the switch
// reset all read them.
constexpr float startNearZ = -0.1f;
constexpr float startFarZ = -1800;
constexpr float startBrightness = 1;
constexpr DemoClockRecord startClock = {0.0f, 0.0f, 1.0f};
constexpr uint32_t startRandomState = 1;

constexpr DemoState startState() {
    DemoState s{};
    s.DemoClock = startClock;
    s.cullNearZ = startNearZ;
    s.cullFarZ = startFarZ;
    s.sceneBrightness = startBrightness;
    s.randomState = startRandomState;
    return s;
}

}  // namespace

// At the changing arena's start, so that a copy of that arena is the whole
// demo between two frames.
DemoState& demo = *new (placeDemoRecord(sizeof(DemoState))) DemoState(startState());

void resetSceneSwitches() {
    const DemoState start = startState();
    demo.cullNearZ = start.cullNearZ;
    demo.cullFarZ = start.cullFarZ;
    demo.sceneBrightness = start.sceneBrightness;
    demo.sceneWarpEnabled = start.sceneWarpEnabled;
    demo.transparentNoFog = start.transparentNoFog;
}

int makeDemoState() {
    DemoState made = startState();
    for (int k = 0; k < 256; ++k) made.KeyState[k] = demo.KeyState[k];
    // Whatever an earlier load took goes with the arenas' old contents.
    emptyDemoArenas();
    // Zero-filled, so entries no set-up fills read as empty rather than garbage.
    made.TextureTable = takeDemoArray<TextureSlot>(DemoMemory::changing, textureTableSize);
    made.GridLayerTable = takeDemoArray<GridLayer>(DemoMemory::changing, gridLayerTableSize);
    made.SceneBank = takeDemoArray<Scene>(DemoMemory::changing, sceneBankSize);
    demo = made;
    if (demo.TextureTable && demo.GridLayerTable && demo.SceneBank) return 1;
    freeDemoState();
    return 0;
}

void freeDemoState() {
    demo.TextureTable = nullptr;
    demo.GridLayerTable = nullptr;
    demo.SceneBank = nullptr;
    emptyDemoArenas();
}
