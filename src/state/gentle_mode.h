#pragma once

// Gentle play (--gentle): the demo with fewer and softer flashes, for viewers
// who are sensitive to flashing light. Read by the drawing code, the part
// bodies and the set-ups; off, every picture is the demo's own. fx/gentle.h
// holds the arithmetic.
struct GentleMode {
    bool on = false;
    // The page takes the viewer's choice with the click that starts a play,
    // after loading: the set-ups then load what gentle play needs either way
    // (off, nothing of it is drawn).
    bool chosenAtPlay = false;
};

inline GentleMode gentleMode;
