#include "platform/keys.h"
#include "platform/web/web_keys.h"

int virtualKeyFromDom(int keyCode) {
    // 0 is "unknown" in the DOM, 255 is no key on Windows either.
    if (keyCode <= 0 || keyCode >= 255) return -1;
    return keyCode;
}

void applyDomKeyEvent(int keyCode, int down, int altHeld) {
    applyVirtualKey(virtualKeyFromDom(keyCode), down, altHeld);
}
