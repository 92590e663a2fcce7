#pragma once
#include "state/demo_state.h"

// Scene-wide switches, fields of the demo record: set by the part bodies, read
// by the drawing code. demo.cullNearZ is -0.1 from start-up, demo.cullFarZ
// starts at -1800, demo.sceneBrightness at 1, demo.sceneWarpEnabled and
// demo.transparentNoFog at 0; resetSceneSwitches puts them back.
