#include "fx/switches.h"

namespace {
// The start values, here once: the definitions and the reset both read them.
constexpr float startNearZ = -0.1f;
constexpr float startFarZ = -1800;
}  // namespace

float cullNearZ = startNearZ;
float cullFarZ = startFarZ;
float sceneBrightness = 1;
int sceneWarpEnabled = 0;
int transparentNoFog = 0;

void resetSceneSwitches() {
    cullNearZ = startNearZ;
    cullFarZ = startFarZ;
    sceneBrightness = 1;
    sceneWarpEnabled = 0;
    transparentNoFog = 0;
}
