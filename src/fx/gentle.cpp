#include "fx/gentle.h"

#include <cmath>

float gentleFlashLevel(float level) { return level * gentleFlashShare; }

float gentleSpriteWeight(float size, float depth) {
    const float distance = std::fabs(depth);
    // Half-size over distance, compared without dividing by a depth of 0.
    if (size <= gentleSpriteFullSize * distance) return 1;
    if (size >= gentleSpriteGoneSize * distance) return 0;
    const float apparent = size / distance;
    return (gentleSpriteGoneSize - apparent) / (gentleSpriteGoneSize - gentleSpriteFullSize);
}

namespace {

float toLinear(unsigned char value) {
    const float c = float(value) / 255.0f;
    return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
}

unsigned char toStored(float linear) {
    if (!(linear > 0)) return 0;
    if (linear >= 1) return 255;
    const float c =
        linear <= 0.0031308f ? linear * 12.92f : 1.055f * std::pow(linear, 1 / 2.4f) - 0.055f;
    return static_cast<unsigned char>(c * 255.0f + 0.5f);
}

}  // namespace

void temperSaturatedRed(unsigned char* rgb, long pixelCount) {
    float linear[256];
    for (int i = 0; i < 256; ++i) linear[i] = toLinear(static_cast<unsigned char>(i));
    const auto saturated = [&linear](const unsigned char* p) {
        return linear[p[0]] > gentleRedShare * (linear[p[0]] + linear[p[1]] + linear[p[2]]);
    };
    // Rounding back to 8 bits moves the share a little: aim below.
    const float share = gentleRedShare - 0.01f;
    for (long i = 0; i < pixelCount; ++i) {
        unsigned char* p = rgb + 3 * i;
        if (!saturated(p)) continue;
        const float r = linear[p[0]], g = linear[p[1]], b = linear[p[2]];
        const float sum = r + g + b;
        // Mixing by k toward the grey y keeps the luminance; the red share
        // (r + k (y - r)) / (sum + k (3y - sum)) falls to `share` at this k.
        const float y = 0.2126f * r + 0.7152f * g + 0.0722f * b;
        const float excess = r - share * sum;
        float k = excess / (excess - (y - share * 3 * y));
        // Dark reds have few levels to round to: mix further until the
        // stored pixel is no saturated red (a grey, at k = 1, is none).
        for (;; k += 0.05f) {
            if (k > 1) k = 1;
            p[0] = toStored(r + k * (y - r));
            p[1] = toStored(g + k * (y - g));
            p[2] = toStored(b + k * (y - b));
            if (k == 1 || !saturated(p)) break;
        }
    }
}
