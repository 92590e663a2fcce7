#pragma once

// One place's light over time, read as a zig-zag: a transition is the change
// from the last turning point (the brightest or darkest value since the last
// counted transition) to the value now, so a change faded in over many frames
// is one transition, counted on the frame it first reaches the threshold, and
// a wobble on the way does not split it. Transitions alternate in direction
// by construction: two of them make one flash.

enum class FlashKind {
    general,  // relative luminance: a change of 0.1 or more, the darker state below 0.8
    red,      // red content: a change of more than 20, one state a saturated red
};

struct Swing {
    float low = 0, high = 0;  // the turning points; the transition under way runs between them
    unsigned char lowRed = 0, highRed = 0;  // whether that state was a saturated red
    // The last frames the value was still near each turning point (within a
    // quarter of the threshold): a transition began on the frame after.
    long lowFrame = 0, highFrame = 0;
    signed char direction = 0;  // of the last counted transition: +1 up, -1 down, 0 none yet
    bool started = false;
};

// Whether a change from one state to another is large enough to count.
bool transitionCounts(FlashKind kind, float from, bool fromRed, float to, bool toRed);

// Takes the value of frame `frame`; true when it completes a transition.
bool feedSwing(Swing* s, FlashKind kind, float value, bool saturatedRed, long frame);

// The frame the transition completed last began on.
inline long swingStart(const Swing& s) {
    return (s.direction > 0 ? s.lowFrame : s.highFrame) + 1;
}

// The size of the transition under way (or the last counted one).
inline float swingStep(const Swing& s) { return s.high - s.low; }
