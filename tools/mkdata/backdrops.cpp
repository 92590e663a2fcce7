#include "backdrops.h"

#include <cmath>

#include "noise.h"
#include "outlines.h"

namespace {

float gauss(float d, float w) { return std::exp(-(d * d) / (w * w)); }

// Rays of light spreading from a point, flickering with angle.
float rays(float x, float y, float cx, float cy, int count, uint32_t seed) {
    float a = std::atan2(y - cy, x - cx);
    float p = (a / 6.2831853f + 0.5f) * count;
    float n = 0.5f + 0.5f * perlin(p, 0.5f, seed, count);
    return std::pow(n, 3.0f);
}

}  // namespace

bool drawJesus(Canvas& c) {
    const float A = c.aspect;
    const float headX = A * 0.5f, headY = 0.2f;
    const float fx0 = A * 0.5f - 0.45f, fy0 = 0.1f, fw = 0.9f, fh = 0.95f;
    Mask body = outlineMask(c, placeOutline(robedFigureOutline(), fx0, fy0, fw, fh));
    float soft = pixelSize(c.width, c.height, A) * 1.5f;
    Mask head = makeMaskLike(c);
    fillMask(head, [&](float x, float y) {
        return coverage(sdEllipse(x, y, headX, headY, 0.045f, 0.058f), soft);
    });
    maxInto(body, head);
    Mask edge = body;
    blurMask(edge, 0.008f);
    paint(c, [&](float x, float y) {
        float dx = x - headX, dy = y - headY;
        float r = std::sqrt(dx * dx + dy * dy);
        // Sky from violet night to a golden light behind the figure.
        Rgb sky = mix(rgb(0.04f, 0.03f, 0.15f), rgb(0.35f, 0.12f, 0.3f), clamp01(y * 1.2f));
        sky = sky + rgb(1.0f, 0.75f, 0.35f) * (gauss(r, 0.35f) * 0.8f);
        float beam = rays(x, y, headX, headY, 28, 701u) * gauss(r, 0.6f);
        sky = sky + rgb(1.0f, 0.85f, 0.5f) * (beam * 0.6f);
        float clouds = smoothstep(0.1f, 0.6f, fbm(x * 3, y * 6, 702u, 5));
        sky = mix(sky, sky * 0.55f + rgb(0.15f, 0.08f, 0.12f), clouds * smoothstep(0.45f, 0.9f, y));
        // Halo around the head.
        float halo = gauss(r - 0.1f, 0.012f) + 0.5f * gauss(r, 0.1f);
        sky = sky + rgb(1.0f, 0.9f, 0.55f) * halo;
        size_t k = size_t(std::fmin(y * c.height, c.height - 1.0f)) * c.width +
                   size_t(std::fmin(x / A * c.width, c.width - 1.0f));
        float cov = body.a[k];
        // The figure stands against the light: dark, rimmed with gold.
        float rim = clamp01(cov - edge.a[k]) * 3;
        float folds = 0.8f + 0.2f * std::sin((x - headX) * 60 / (0.3f + y));
        Rgb robe = rgb(0.1f, 0.05f, 0.08f) * folds + rgb(1.0f, 0.8f, 0.4f) * rim;
        return mix(sky, robe, cov);
    });
    return true;
}

bool drawFishPicture(Canvas& c) {
    const float A = c.aspect;
    const float x0 = A * 0.5f - 0.4f, y0 = 0.22f, w = 0.8f, h = 0.5f;
    Mask fish = outlineMask(c, placeOutline(fishOutline(), x0, y0, w, h));
    // Sea grass along the bottom, as dark blades.
    Mask weeds = makeMaskLike(c);
    fillMask(weeds, [&](float x, float y) {
        float best = 0;
        for (int b = 0; b < 26; ++b) {
            float root = hash01(b, 0, 711u) * A;
            float tall = 0.15f + 0.3f * hash01(b, 1, 711u);
            float t = (1 - y) / tall;
            if (t > 1) continue;
            float cx = root + 0.04f * std::sin(t * 3 + b);
            float wdt = 0.012f * (1 - t) + 0.002f;
            best = std::fmax(best, smoothstep(wdt, wdt * 0.5f, std::fabs(x - cx)));
        }
        return best;
    });
    paint(c, [&](float x, float y) {
        // Water: bright near the surface, deep blue below, slanted sunbeams.
        Rgb col = mix(rgb(0.25f, 0.7f, 0.85f), rgb(0.0f, 0.08f, 0.25f), std::pow(y, 0.8f));
        float beam = std::pow(0.5f + 0.5f * perlin((x + y * 0.4f) * 7, 0.5f, 721u), 4.0f);
        col = col + rgb(0.5f, 0.8f, 0.9f) * (beam * 0.35f * (1 - y));
        float sand = smoothstep(0.86f, 0.92f, y + 0.02f * std::sin(x * 9));
        col = mix(col, rgb(0.45f, 0.4f, 0.3f) * (0.7f + 0.3f * fbm(x * 20, y * 20, 722u, 3)), sand);
        size_t k = size_t(std::fmin(y * c.height, c.height - 1.0f)) * c.width +
                   size_t(std::fmin(x / A * c.width, c.width - 1.0f));
        col = mix(col, rgb(0.02f, 0.12f, 0.08f), weeds.a[k] * 0.85f);
        // Bubbles rising on the left.
        for (int b = 0; b < 9; ++b) {
            float bx = 0.2f + 0.06f * std::sin(b * 1.7f), by = 0.1f + b * 0.085f;
            float br = 0.008f + 0.006f * hash01(b, 2, 723u);
            float d = std::hypot(x - bx, y - by);
            col = col + rgb(0.7f, 0.9f, 1.0f) * (gauss(d - br, 0.003f) * 0.8f + gauss(std::hypot(x - bx + br * 0.4f, y - by + br * 0.4f), br * 0.3f));
        }
        float cov = fish.a[k];
        if (cov <= 0) return col;
        float lx = (x - x0) / w, ly = (y - y0) / h;
        Rgb body = mix(rgb(1.0f, 0.85f, 0.15f), rgb(1.0f, 0.4f, 0.05f), clamp01((ly - 0.25f) * 1.6f));
        // Three white bands edged in black, bent with the body.
        for (int band = 0; band < 3; ++band) {
            float bx = 0.2f + band * 0.24f + 0.05f * (ly - 0.5f) * (ly - 0.5f) * 4;
            float d = std::fabs(lx - bx);
            body = mix(body, rgb(0.05f, 0.03f, 0.02f), smoothstep(0.045f, 0.035f, d));
            body = mix(body, rgb(0.95f, 0.97f, 1.0f), smoothstep(0.032f, 0.024f, d));
        }
        // Fins lighter and see-through, with rays.
        bool fin = lx > 0.84f || ly < 0.22f || ly > 0.74f;
        if (fin) {
            float finRays = 0.85f + 0.15f * std::sin((lx + ly) * 90);
            body = mix(col, rgb(1.0f, 0.7f, 0.25f) * finRays, 0.85f);
        }
        // Round shading, gill and eye.
        float shade = 0.65f + 0.45f * clamp01(1 - std::fabs(ly - 0.4f) * 2.2f);
        body = body * shade;
        float gill = std::fabs(std::hypot((lx - 0.08f) * 1.4f, ly - 0.5f) - 0.16f);
        body = body * (1 - 0.4f * smoothstep(0.012f, 0.0f, gill) * (lx > 0.12f ? 1.0f : 0.0f));
        float eye = std::hypot((lx - 0.13f) * w, (ly - 0.44f) * h);
        body = mix(body, rgb(0.95f, 0.95f, 0.9f), smoothstep(0.022f, 0.018f, eye));
        body = mix(body, rgb(0.02f, 0.02f, 0.03f), smoothstep(0.014f, 0.011f, eye));
        body = body + rgb(1, 1, 1) * gauss(std::hypot((lx - 0.125f) * w + 0.004f, (ly - 0.43f) * h + 0.004f), 0.004f);
        return mix(col, body, cov);
    });
    return true;
}
