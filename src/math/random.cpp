#include "math/random.h"

namespace {
uint32_t state = 1;
}

int nextRandom() {
    state = state * 214013u + 2531011u;
    return int((state >> 16) & 32767u);
}

float randomBelow(float x) { return float(nextRandom()) * x * 0.000030517578125f; }

float randomSigned(float x) { return float(nextRandom()) * x * 0.00006103515625f - x; }

void resetRandom(uint32_t s) { state = s; }

uint32_t randomState() { return state; }
