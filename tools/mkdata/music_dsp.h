#pragma once

// Small building blocks of the soundtrack's voices: oscillators, a filter and
// noise. Everything is cheap per sample; anything with a transcendental call
// (filter cut-offs, vibrato) runs at control rate, every kControlStep samples.

#include <cmath>
#include <cstdint>

namespace music {

constexpr int kRate = 44100;
constexpr float kRateF = 44100.0f;
constexpr float kPi = 3.14159265358979f;
constexpr int kControlStep = 32;
constexpr int kSineSize = 4096;

inline float midiHz(float midi) { return 440.0f * std::exp2((midi - 69.0f) / 12.0f); }

inline long secondsToFrames(float seconds) { return (long)(seconds * kRateF + 0.5f); }

// Per-sample factor of an exponential decay falling to 1/e after `seconds`.
inline float decayFactor(float seconds) { return std::exp(-1.0f / (seconds * kRateF)); }

// One turn of a sine, kSineSize steps plus a guard entry for interpolation.
const float* sineTable();

// `phase` in turns, within [0, 1).
inline float sineAt(const float* table, float phase) {
    float x = phase * (float)kSineSize;
    int i = (int)x;
    float f = x - (float)i;
    return table[i] + (table[i + 1] - table[i]) * f;
}

// Cheaper than std::floor where SSE4.1 rounding is not available.
inline float wrapTurns(float phase) {
    float whole = (float)(int)phase;
    if (whole > phase) whole -= 1.0f;
    return phase - whole;
}

// xorshift32: the same noise on every run for the same seed.
struct Noise {
    uint32_t state;
    float next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return (float)(int32_t)state * (1.0f / 2147483648.0f);
    }
};

inline Noise makeNoise(uint32_t seed) { return Noise{(seed * 2654435761u + 0x9E3779B9u) | 1u}; }

// Band-limited sawtooth (polyBLEP): no audible aliasing on the lead and pads.
struct Saw {
    float phase = 0.0f;
    float inc = 0.0f;
    float next() {
        float t = phase;
        float v = 2.0f * t - 1.0f;
        if (t < inc) {
            t /= inc;
            v -= t + t - t * t - 1.0f;
        } else if (t > 1.0f - inc) {
            t = (t - 1.0f) / inc;
            v -= t * t + t + t + 1.0f;
        }
        phase += inc;
        if (phase >= 1.0f) phase -= 1.0f;
        return v;
    }
};

// State-variable filter (trapezoidal integration): stable at any cut-off.
struct Svf {
    float ic1 = 0.0f, ic2 = 0.0f;
    float a1 = 1.0f, a2 = 0.0f, a3 = 0.0f, k = 1.0f;
    void set(float hz, float q) {
        if (hz < 20.0f) hz = 20.0f;
        if (hz > 0.45f * kRateF) hz = 0.45f * kRateF;
        float g = std::tan(kPi * hz / kRateF);
        k = 1.0f / q;
        a1 = 1.0f / (1.0f + g * (g + k));
        a2 = g * a1;
        a3 = g * a2;
    }
    // Returns the low-pass output; band and high are left in the out-params.
    float run(float x, float* band, float* high) {
        float v3 = x - ic2;
        float v1 = a1 * ic1 + a2 * v3;
        float v2 = ic2 + a2 * ic1 + a3 * v3;
        ic1 = 2.0f * v1 - ic1;
        ic2 = 2.0f * v2 - ic2;
        if (band) *band = v1;
        if (high) *high = x - k * v1 - v2;
        return v2;
    }
    float low(float x) { return run(x, nullptr, nullptr); }
    float highPass(float x) {
        float h;
        run(x, nullptr, &h);
        return h;
    }
    float bandPass(float x) {
        float b;
        run(x, &b, nullptr);
        return b;
    }
};

}  // namespace music
