#include "platform/keys.h"
#include "state/demo_state.h"

void applyVirtualKey(int vk, int down, int altHeld) {
    if (vk < 0 || vk > 255) return;
    if (altHeld || vk == vkMenu || vk == vkF10) return;
    demo.KeyState[vk] = down ? 1 : 0;
}
