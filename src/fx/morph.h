#pragma once
#include "state/demo_state.h"

// Write the morphed frame into the target object (demo.SceneBank place 10 object 1
// for A, place 20 object 0 for B) from the frame sets in places 11 to 15.
void morphMeshFramesA(float frame, float weightA, float weightB);
void morphMeshFramesB(float frame, float weightA, float weightB);

// Load-time check, once places 10 to 15 and 20 are loaded: both targets exist
// and every frame object 0..9 of places 11 to 15 has at least as many vertices
// as each target. Reports the first defect (naming place and object) and
// returns 0; 1 when all is sound.
int checkMorphFrames();
