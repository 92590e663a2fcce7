// Two hooded monks, the nearer one holding a candle: dark robes lit warm from
// the candle below and rimmed by cold light from the right.
#include <algorithm>
#include <cmath>

#include "figures.h"
#include "noise.h"
#include "outlines.h"

namespace {

struct MonkPlace {
    float x0, y0, w, h;
    float brightness;
    bool candle;
};

float gauss(float d, float w) { return std::exp(-(d * d) / (w * w)); }

Rgb monkColour(float lx, float ly, const MonkPlace& m, float rim) {
    // Robe with vertical folds that widen toward the hem.
    float folds = 0.72f + 0.28f * std::sin((lx - 0.5f) * 40 / (0.5f + ly) + 0.7f * fbm(lx * 3, ly * 3, 301u, 3));
    Rgb robe = mix(rgb(0.2f, 0.1f, 0.06f), rgb(0.36f, 0.17f, 0.09f), clamp01(1.1f - ly)) * folds;
    float candleLight = m.candle ? gauss(std::hypot(lx - 0.5f, (ly - 0.42f) * 0.8f), 0.22f) : 0.0f;
    Rgb col = robe * (0.35f + 1.6f * candleLight);
    // Sleeves meeting in front, holding the candle.
    for (int s = -1; s <= 1; s += 2) {
        float d = std::hypot((lx - 0.5f - s * 0.1f) / 0.13f, (ly - 0.5f) / 0.06f);
        float cov = clamp01((1 - d) * 8);
        Rgb sleeve = rgb(0.4f, 0.2f, 0.1f) * (0.5f + 1.2f * candleLight) * (0.7f + 0.3f * (1 - d));
        col = mix(col, sleeve, cov);
    }
    // Rope belt.
    float belt = clamp01(1 - std::fabs(ly - 0.6f - 0.01f * std::sin(lx * 20)) / 0.008f);
    col = mix(col, rgb(0.55f, 0.45f, 0.3f) * (0.4f + candleLight), belt);
    float knot = clamp01(1 - std::fabs(lx - 0.56f) / 0.01f) * (ly > 0.6f && ly < 0.74f ? 1.0f : 0.0f);
    col = mix(col, rgb(0.5f, 0.4f, 0.28f) * (0.4f + candleLight), knot);
    // The hood's opening: a shadow with a chin caught by the candle.
    float face = std::hypot((lx - 0.5f) / 0.13f, (ly - 0.135f) / 0.095f);
    if (face < 1) {
        float chin = m.candle ? smoothstep(0.1f, 0.22f, ly) * 0.5f : 0.0f;
        col = mix(col, rgb(0.02f, 0.015f, 0.01f) + rgb(0.45f, 0.22f, 0.08f) * chin, clamp01((1 - face) * 6));
    }
    if (m.candle) {
        float wax = (std::fabs(lx - 0.5f) < 0.03f && ly > 0.36f && ly < 0.48f) ? 1.0f : 0.0f;
        col = mix(col, rgb(0.95f, 0.85f, 0.65f) * (0.7f + 0.3f * smoothstep(0.48f, 0.36f, ly)), wax);
    }
    col = col + rgb(0.35f, 0.55f, 0.9f) * (rim * 0.9f);
    return col * m.brightness;
}

}  // namespace

Figure monksFigure(int width, int height, float aspect) {
    Figure f{makeMask(width, height, aspect), makeCanvas(width, height, aspect)};
    const MonkPlace monks[2] = {
        {0.02f, 0.07f, 0.28f, 0.72f, 0.55f, false},  // farther, smaller, darker
        {0.09f, 0.2f, 0.4f, 0.81f, 1.0f, true},
    };
    Outline unit = monkOutline();
    for (const MonkPlace& m : monks) {
        Mask shape = outlineMask(f.colour, placeOutline(unit, m.x0, m.y0, m.w, m.h));
        forEachPixel(width, height, aspect, [&](size_t k, float x, float y) {
            float cov = shape.a[k];
            if (cov <= 0) return;
            float rim = cov * (1 - sampleMask(shape, x + 0.014f, y - 0.006f));
            Rgb c = monkColour((x - m.x0) / m.w, (y - m.y0) / m.h, m, rim);
            f.colour.px[k] = mix(f.colour.px[k], c, cov);
            f.shape.a[k] = std::fmax(f.shape.a[k], cov);
        });
    }
    // The candle flame and its glow, added over everything.
    const MonkPlace& front = monks[1];
    float fx = front.x0 + 0.5f * front.w, fy = front.y0 + 0.32f * front.h;
    paint(f.colour, [&](float x, float y) {
        size_t i = size_t(x / aspect * width), j = size_t(y * height);
        Rgb base = f.colour.px[std::min(j, size_t(height - 1)) * width + std::min(i, size_t(width - 1))];
        float flame = gauss(std::hypot((x - fx) / 0.5f, y - fy + 0.004f), 0.018f);
        float glow = gauss(std::hypot(x - fx, y - fy), 0.07f);
        return base + rgb(1, 0.95f, 0.7f) * flame + rgb(1.0f, 0.6f, 0.2f) * (0.35f * glow);
    });
    return f;
}
