#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// A pause or a seek of the music, as the demo's keys make them: when the
// music time drawn first reaches `at` (seconds, after the moves before it),
// the music pauses for `value` seconds and plays on from where it stood, or
// plays on from music time `value`.
struct ProbeMove {
    bool seek;
    double at;
    double value;
};

// The move due at the music time just drawn, made with the calls the keys
// make (the probes of the clock on Linux and under Wine); true when one was.
bool makeProbeMove(const std::vector<ProbeMove>& moves, size_t* next, int32_t drawnMs);
