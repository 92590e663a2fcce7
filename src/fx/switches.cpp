#include "fx/switches.h"

float cullNearZ = -0.1f;
float cullFarZ = -1800;
float sceneBrightness = 1;
int sceneWarpEnabled = 0;
int transparentNoFog = 0;

void resetSceneSwitches() {
    cullNearZ = -0.1f;
    cullFarZ = -1800;
    sceneBrightness = 1;
    sceneWarpEnabled = 0;
    transparentNoFog = 0;
}
