#pragma once
#include "state/demo_state.h"
#include <cstdint>

// The program's single pseudo-random sequence, demo.randomState (starts at 1,
// never reseeded by the demo itself; tests may reset it).
int nextRandom();
float randomBelow(float x);   // [0, x)
float randomSigned(float x);  // [-x, x)
void resetRandom(uint32_t state = 1);
uint32_t randomState();
