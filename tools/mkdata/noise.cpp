#include "noise.h"

#include <cmath>

namespace {

int wrap(int v, int period) {
    if (period <= 0) return v;
    int r = v % period;
    return r < 0 ? r + period : r;
}

float fade(float t) { return t * t * t * (t * (t * 6 - 15) + 10); }

float gradientDot(int ix, int iy, float dx, float dy, uint32_t seed) {
    // Sixteen evenly spread directions.
    static const float table[16][2] = {
        {1.0f, 0.0f},       {0.9239f, 0.3827f},   {0.7071f, 0.7071f},   {0.3827f, 0.9239f},
        {0.0f, 1.0f},       {-0.3827f, 0.9239f},  {-0.7071f, 0.7071f},  {-0.9239f, 0.3827f},
        {-1.0f, 0.0f},      {-0.9239f, -0.3827f}, {-0.7071f, -0.7071f}, {-0.3827f, -0.9239f},
        {0.0f, -1.0f},      {0.3827f, -0.9239f},  {0.7071f, -0.7071f},  {0.9239f, -0.3827f}};
    const float* g = table[hashInts(ix, iy, seed) & 15u];
    return g[0] * dx + g[1] * dy;
}

}  // namespace

uint32_t hashInts(int x, int y, uint32_t seed) {
    uint32_t h = seed * 0x9E3779B1u;
    h ^= uint32_t(x) * 0x85EBCA77u;
    h = (h << 13) | (h >> 19);
    h ^= uint32_t(y) * 0xC2B2AE3Du;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

float hash01(int x, int y, uint32_t seed) {
    return float(hashInts(x, y, seed) >> 8) * (1.0f / 16777216.0f);
}

float perlin(float x, float y, uint32_t seed, int period) {
    float fx = std::floor(x);
    float fy = std::floor(y);
    int ix = int(fx);
    int iy = int(fy);
    float dx = x - fx;
    float dy = y - fy;
    int x0 = wrap(ix, period), x1 = wrap(ix + 1, period);
    int y0 = wrap(iy, period), y1 = wrap(iy + 1, period);
    float n00 = gradientDot(x0, y0, dx, dy, seed);
    float n10 = gradientDot(x1, y0, dx - 1, dy, seed);
    float n01 = gradientDot(x0, y1, dx, dy - 1, seed);
    float n11 = gradientDot(x1, y1, dx - 1, dy - 1, seed);
    float u = fade(dx);
    float v = fade(dy);
    float a = n00 + (n10 - n00) * u;
    float b = n01 + (n11 - n01) * u;
    return (a + (b - a) * v) * 1.41f;
}

float fbm(float x, float y, uint32_t seed, int octaves, int period, float gain) {
    float sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += perlin(x, y, seed + uint32_t(o) * 101u, period) * amp;
        norm += amp;
        amp *= gain;
        x *= 2;
        y *= 2;
        if (period > 0) period *= 2;
    }
    return sum / norm;
}

float turbulence(float x, float y, uint32_t seed, int octaves, int period) {
    float sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += std::fabs(perlin(x, y, seed + uint32_t(o) * 131u, period)) * amp;
        norm += amp;
        amp *= 0.5f;
        x *= 2;
        y *= 2;
        if (period > 0) period *= 2;
    }
    return sum / norm;
}

Cells cells(float x, float y, uint32_t seed, int period, float jitter) {
    float fx = std::floor(x);
    float fy = std::floor(y);
    int ix = int(fx);
    int iy = int(fy);
    Cells out{1e9f, 1e9f, 0, 0, 0};
    for (int j = -1; j <= 1; ++j) {
        for (int i = -1; i <= 1; ++i) {
            int cx = wrap(ix + i, period);
            int cy = wrap(iy + j, period);
            float px = fx + i + 0.5f + (hash01(cx, cy, seed) - 0.5f) * jitter;
            float py = fy + j + 0.5f + (hash01(cx, cy, seed ^ 0x5bd1e995u) - 0.5f) * jitter;
            float d = std::sqrt((px - x) * (px - x) + (py - y) * (py - y));
            if (d < out.f1) {
                out.f2 = out.f1;
                out.f1 = d;
                out.id = hash01(cx, cy, seed + 7u);
                out.nearestX = px;
                out.nearestY = py;
            } else if (d < out.f2) {
                out.f2 = d;
            }
        }
    }
    return out;
}
