#pragma once

// Gentle play (--gentle): the demo with fewer and softer flashes, for viewers
// who are sensitive to flashing light. Chosen before loading (the set-ups
// temper some pictures) and read by the drawing code and the part bodies;
// off, every picture is the demo's own. fx/gentle.h holds the arithmetic.
struct GentleMode {
    bool on = false;
};

inline GentleMode gentleMode;
