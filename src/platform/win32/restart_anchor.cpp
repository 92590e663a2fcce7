#include "platform/win32/restart_anchor.h"

RestartAnchor anchorAt(int64_t playUs, int latencyUs) {
    return RestartAnchor{true, false, playUs + latencyUs, 0};
}

int64_t anchoredStartUs(RestartAnchor* a, int64_t positionStartUs, bool historySettled) {
    if (!a->active) return positionStartUs;
    if (!historySettled) return a->heardUs;
    if (!a->settled) {
        a->offsetUs = positionStartUs - a->heardUs;
        a->settled = true;
    }
    return positionStartUs - a->offsetUs;
}
