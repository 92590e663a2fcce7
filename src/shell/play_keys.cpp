#include "shell/play_keys.h"

#include "script/timeline.h"

PlayKey playKeyFor(int vk) {
    if (vk >= '0' && vk <= '8') return {PlayAction::toPart, vk - '0'};
    if (vk >= 96 && vk <= 104) return {PlayAction::toPart, vk - 96};
    switch (vk) {
        case 32: return {PlayAction::pause, 0};
        case 33: return {PlayAction::previousPart, 0};
        case 34: return {PlayAction::nextPart, 0};
        case 37: return {PlayAction::seekBy, -seekStepMs};
        case 39: return {PlayAction::seekBy, seekStepMs};
        default: return {PlayAction::none, 0};
    }
}

uint32_t partStartTargetMs(int part) { return part <= 0 ? 0 : uint32_t(Timeline[part]) + 1; }

bool seekTargetMs(const PlayKey& key, int32_t nowMs, uint32_t* targetMs, const char** why) {
    if (nowMs < 0) nowMs = 0;
    const int shown = partIndexForElapsed(nowMs);
    int64_t target = -1;
    switch (key.action) {
        case PlayAction::seekBy:
            target = int64_t(nowMs) + key.value;
            if (target < 0) target = 0;
            if (target >= timelineEndMs) {
                *why = "the demo ends at 228 s";
                return false;
            }
            break;
        case PlayAction::toPart:
            if (key.value < 0 || key.value > lastPlayedPart) {
                *why = "the parts are 0 to 8";
                return false;
            }
            target = partStartTargetMs(key.value);
            break;
        case PlayAction::previousPart:
            target = partStartTargetMs(shown > 0 ? shown - 1 : 0);
            break;
        case PlayAction::nextPart:
            if (shown >= lastPlayedPart) {
                *why = "part 8 is the last";
                return false;
            }
            target = partStartTargetMs(shown + 1);
            break;
        default:
            *why = "not a seek";
            return false;
    }
    *targetMs = uint32_t(target);
    return true;
}
