#pragma once

// Scene-wide switches: set by the part bodies, read by the drawing code.
extern float cullNearZ;        // -0.1 from start-up (resetSceneSwitches)
extern float cullFarZ;         // starts at -1800
extern float sceneBrightness;  // starts at 1
extern int sceneWarpEnabled;   // starts at 0
extern int transparentNoFog;   // starts at 0

// Back to the start values (start-up and tests).
void resetSceneSwitches();
