#include "platform/keys.h"

int KeyState[256] = {};

void applyVirtualKey(int vk, int down, int altHeld) {
    if (vk < 0 || vk > 255) return;
    if (altHeld || vk == vkMenu || vk == vkF10) return;
    KeyState[vk] = down ? 1 : 0;
}
