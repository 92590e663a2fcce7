#include "math/random.h"

#include "state/demo_state.h"

int nextRandom() {
    uint32_t& state = demo.randomState;
    state = state * 214013u + 2531011u;
    return int((state >> 16) & 32767u);
}

float randomBelow(float x) { return float(nextRandom()) * x * 0.000030517578125f; }

float randomSigned(float x) { return float(nextRandom()) * x * 0.00006103515625f - x; }

void resetRandom(uint32_t s) { demo.randomState = s; }

uint32_t randomState() { return demo.randomState; }
