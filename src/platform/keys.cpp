#include "platform/keys.h"
#include "state/demo_state.h"

namespace {
int presses[keyPressesKept];
int pressCount = 0;
}  // namespace

void applyVirtualKey(int vk, int down, int altHeld) {
    if (vk < 0 || vk > 255) return;
    if (altHeld || vk == vkMenu || vk == vkF10) return;
    if (down && !demo.KeyState[vk] && pressCount < keyPressesKept) presses[pressCount++] = vk;
    demo.KeyState[vk] = down ? 1 : 0;
}

int takeKeyPress() {
    if (pressCount == 0) return -1;
    const int vk = presses[0];
    for (int i = 1; i < pressCount; ++i) presses[i - 1] = presses[i];
    --pressCount;
    return vk;
}

void clearKeyPresses() { pressCount = 0; }
