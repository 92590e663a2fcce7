#include "transitions.h"

#include <cmath>

bool transitionCounts(FlashKind kind, float from, bool fromRed, float to, bool toRed) {
    const float change = std::fabs(to - from);
    if (kind == FlashKind::general) return change >= 0.1f && std::fmin(from, to) < 0.8f;
    return change > 20.0f && (fromRed || toRed);
}

namespace {

// How near a turning point a value still counts as being there: a quarter of
// the smallest transition.
float nearTurn(FlashKind kind) { return kind == FlashKind::general ? 0.025f : 5.0f; }

bool turns(Swing* s, FlashKind kind, float value, unsigned char red) {
    if (s->direction == 0) {
        // Before the first transition: the darkest and brightest values so far.
        if (value > s->high) {
            s->high = value;
            s->highRed = red;
            if (!transitionCounts(kind, s->low, s->lowRed, value, red)) return false;
            s->direction = 1;
            return true;
        }
        if (value < s->low) {
            s->low = value;
            s->lowRed = red;
            if (!transitionCounts(kind, s->high, s->highRed, value, red)) return false;
            s->direction = -1;
            return true;
        }
        return false;
    }
    if (s->direction > 0) {
        // After a rise: a higher value still belongs to it; a fall is measured from its peak.
        if (value > s->high) {
            s->high = value;
            s->highRed = red;
            return false;
        }
        if (!transitionCounts(kind, s->high, s->highRed, value, red)) return false;
        s->direction = -1;
        s->low = value;
        s->lowRed = red;
        return true;
    }
    if (value < s->low) {
        s->low = value;
        s->lowRed = red;
        return false;
    }
    if (!transitionCounts(kind, s->low, s->lowRed, value, red)) return false;
    s->direction = 1;
    s->high = value;
    s->highRed = red;
    return true;
}

}  // namespace

bool feedSwing(Swing* s, FlashKind kind, float value, bool saturatedRed, long frame) {
    const unsigned char red = saturatedRed ? 1 : 0;
    if (!s->started) {
        s->started = true;
        s->low = s->high = value;
        s->lowRed = s->highRed = red;
        s->lowFrame = s->highFrame = frame;
        return false;
    }
    const bool turned = turns(s, kind, value, red);
    // A transition that just completed is past these bands: its start stays.
    if (value <= s->low + nearTurn(kind)) s->lowFrame = frame;
    if (value >= s->high - nearTurn(kind)) s->highFrame = frame;
    return turned;
}
