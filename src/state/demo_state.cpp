#include "state/demo_state.h"

#include <cstdlib>

#include "fx/grid_layer.h"
#include "scene/scene.h"
#include "scene/texture_slot.h"

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

DemoState demo = startState();

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
    // Zero-filled, so entries no set-up fills read as empty rather than garbage.
    made.TextureTable = static_cast<TextureSlot*>(std::calloc(textureTableSize, sizeof(TextureSlot)));
    made.GridLayerTable = static_cast<GridLayer*>(std::calloc(gridLayerTableSize, sizeof(GridLayer)));
    made.SceneBank = static_cast<Scene*>(std::calloc(sceneBankSize, sizeof(Scene)));
    demo = made;
    if (demo.TextureTable && demo.GridLayerTable && demo.SceneBank) return 1;
    freeDemoState();
    return 0;
}

void freeDemoState() {
    std::free(demo.TextureTable);
    demo.TextureTable = nullptr;
    std::free(demo.GridLayerTable);
    demo.GridLayerTable = nullptr;
    std::free(demo.SceneBank);
    demo.SceneBank = nullptr;
}
