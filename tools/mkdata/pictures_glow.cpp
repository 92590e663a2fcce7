// Particle sprites, flares and lens pictures: glows and rings on black. They
// are drawn additively as squares, so every one falls to black well before
// its edge. The lens pictures are near-white: the flare file tints them.
#include <cmath>

#include "noise.h"
#include "pictures.h"
#include "shapes.h"

namespace {

const float pi = 3.14159265f;

float radius(float x, float y) { return std::sqrt((x - 0.5f) * (x - 0.5f) + (y - 0.5f) * (y - 0.5f)); }
float angle(float x, float y) { return std::atan2(y - 0.5f, x - 0.5f); }
float gauss(float d, float width) { return std::exp(-(d * d) / (width * width)); }
// Zero from the inscribed circle outward, one well inside it.
float edgeFade(float r) { return smoothstep(0.49f, 0.36f, r); }

// Core and halo of a simple round glow.
Rgb roundGlow(float r, Rgb core, Rgb halo, float coreWidth, float haloWidth) {
    return (core * gauss(r, coreWidth) + halo * gauss(r, haloWidth)) * edgeFade(r);
}

bool drawAtom(Canvas& c) {
    paint(c, [](float x, float y) {
        float r = radius(x, y);
        Rgb glow = roundGlow(r, rgb(1, 1, 1), rgb(0.35f, 0.6f, 1.0f), 0.05f, 0.17f);
        // Three faint electron orbits around the nucleus.
        float orbits = 0;
        for (int k = 0; k < 3; ++k) {
            float a = k * pi / 3;
            float dx = x - 0.5f, dy = y - 0.5f;
            float ex = dx * std::cos(a) + dy * std::sin(a);
            float ey = -dx * std::sin(a) + dy * std::cos(a);
            float d = std::fabs(std::sqrt(ex * ex / (0.30f * 0.30f) + ey * ey / (0.1f * 0.1f)) - 1);
            orbits += gauss(d, 0.09f);
        }
        return glow + rgb(0.3f, 0.55f, 1.0f) * (0.35f * orbits * edgeFade(r * 1.1f));
    });
    return true;
}

// A bright star with long cross spikes and shorter diagonal ones.
bool drawFlare2(Canvas& c) {
    paint(c, [](float x, float y) {
        float r = radius(x, y);
        float dx = std::fabs(x - 0.5f), dy = std::fabs(y - 0.5f);
        float spikes = gauss(dy, 0.006f + 0.02f * dx) * gauss(dx, 0.3f) +
                       gauss(dx, 0.006f + 0.02f * dy) * gauss(dy, 0.3f);
        float u = (dx + dy) * 0.7071f, w = std::fabs(dx - dy) * 0.7071f;
        float diagonal = gauss(w, 0.004f + 0.02f * u) * gauss(u, 0.16f) * 0.6f;
        Rgb glow = roundGlow(r, rgb(1, 0.98f, 0.9f), rgb(1.0f, 0.75f, 0.35f), 0.04f, 0.13f);
        return (glow + rgb(1, 0.9f, 0.7f) * (spikes + diagonal)) * edgeFade(r);
    });
    return true;
}

bool drawFlare3(Canvas& c) {
    paint(c, [](float x, float y) {
        float r = radius(x, y);
        Rgb glow = roundGlow(r, rgb(0.9f, 1, 0.95f), rgb(0.2f, 0.9f, 0.6f), 0.05f, 0.16f);
        return glow + rgb(0.2f, 0.8f, 0.7f) * (0.35f * gauss(r - 0.3f, 0.03f) * edgeFade(r));
    });
    return true;
}

bool drawFlare4(Canvas& c) {
    paint(c, [](float x, float y) {
        float r = radius(x, y);
        float a = angle(x, y);
        float petals = 0.75f + 0.25f * std::cos(a * 6);
        return roundGlow(r / petals, rgb(1, 0.9f, 1), rgb(0.95f, 0.3f, 0.8f), 0.05f, 0.15f);
    });
    return true;
}

// Used by 1500 particles at once: small and moderate.
bool drawFlare5(Canvas& c) {
    paint(c, [](float x, float y) {
        float r = radius(x, y);
        return roundGlow(r, rgb(0.75f, 0.7f, 1), rgb(0.35f, 0.2f, 0.8f), 0.04f, 0.12f) * 0.8f;
    });
    return true;
}

// A glowing nerve cell: bright body with forked filaments.
bool drawNetzFlare(Canvas& c) {
    Mask fibres = makeMaskLike(c);
    fillMask(fibres, [](float x, float y) {
        float best = 0;
        for (int k = 0; k < 7; ++k) {
            float a = k * 2 * pi / 7 + 0.3f * (hash01(k, 1, 5u) - 0.5f);
            float len = 0.28f + 0.12f * hash01(k, 2, 5u);
            float ex = 0.5f + std::cos(a) * len, ey = 0.5f + std::sin(a) * len;
            float d = sdSegment(x, y, 0.5f, 0.5f, ex, ey);
            float t = clamp01(((x - 0.5f) * std::cos(a) + (y - 0.5f) * std::sin(a)) / len);
            float v = gauss(d, 0.012f * (1.2f - t)) * (1 - t);
            // One fork from the middle of every filament.
            float mx = 0.5f + std::cos(a) * len * 0.5f, my = 0.5f + std::sin(a) * len * 0.5f;
            float b = a + 0.6f;
            float fx = mx + std::cos(b) * len * 0.45f, fy = my + std::sin(b) * len * 0.45f;
            float df = sdSegment(x, y, mx, my, fx, fy);
            float tf = clamp01(((x - mx) * std::cos(b) + (y - my) * std::sin(b)) / (len * 0.45f));
            v = std::fmax(v, gauss(df, 0.008f) * (1 - tf) * 0.5f);
            best = std::fmax(best, v);
        }
        return best;
    });
    paint(c, [&](float x, float y) {
        float r = radius(x, y);
        float f = sampleMask(fibres, x, y);
        Rgb glow = roundGlow(r, rgb(1, 1, 0.85f), rgb(1.0f, 0.6f, 0.2f), 0.05f, 0.14f);
        return glow + rgb(1.0f, 0.75f, 0.4f) * (f * edgeFade(r));
    });
    return true;
}

// A red blood cell: a ring-shaped body, dimmer in its dimple, in a red haze.
bool drawBlut(Canvas& c) {
    paint(c, [](float x, float y) {
        float r = radius(x, y);
        float body = gauss(r - 0.17f, 0.08f);
        float rim = gauss(r - 0.2f, 0.025f);
        float haze = gauss(r, 0.3f);
        Rgb col = rgb(0.9f, 0.12f, 0.08f) * body + rgb(1, 0.55f, 0.4f) * (rim * 0.6f) +
                  rgb(0.5f, 0.02f, 0.02f) * haze;
        return col * edgeFade(r);
    });
    return true;
}

// Lens 1: the light itself, a soft glow with fine rays.
bool drawLens1(Canvas& c) {
    paint(c, [](float x, float y) {
        float r = radius(x, y);
        float a = angle(x, y);
        float rays = 0;
        for (int k = 0; k < 3; ++k) {
            int n = 24 + 16 * k;
            float p = (a + pi) / (2 * pi) * n;
            float cell = std::floor(p);
            float len = 0.15f + 0.3f * hash01(int(cell), k, 17u);
            float w = std::fabs(p - cell - 0.5f);
            rays += gauss(w, 0.12f) * gauss(r, len) * 0.2f;
        }
        float glow = gauss(r, 0.06f) + 0.45f * gauss(r, 0.18f);
        float v = (glow + rays) * edgeFade(r);
        return rgb(v, v * 0.97f, v * 0.92f);
    });
    return true;
}

// Lens 2: a thin ring with a colour fringe.
bool drawLens2(Canvas& c) {
    paint(c, [](float x, float y) {
        float r = radius(x, y);
        float ring = 0.8f;
        Rgb col = rgb(1, 0.6f, 0.5f) * gauss(r - 0.385f, 0.02f) * ring +
                  rgb(0.6f, 1, 0.7f) * gauss(r - 0.37f, 0.02f) * ring +
                  rgb(0.5f, 0.6f, 1) * gauss(r - 0.355f, 0.02f) * ring + rgb(1, 1, 1) * (0.08f * gauss(r, 0.3f));
        return col * edgeFade(r);
    });
    return true;
}

// Lens 3: the six-sided ghost of the aperture.
bool drawLens3(Canvas& c) {
    float soft = 0.012f;
    paint(c, [&](float x, float y) {
        float dx = x - 0.5f, dy = y - 0.5f;
        // Distance to a regular hexagon of apothem 0.33.
        float d = -1e9f;
        for (int k = 0; k < 6; ++k) {
            float a = k * pi / 3 + pi / 6;
            d = std::fmax(d, dx * std::cos(a) + dy * std::sin(a));
        }
        float fill = coverage(d - 0.33f, soft);
        float edge = gauss(d - 0.32f, 0.015f);
        float v = 0.2f * fill + 0.45f * edge * fill + 0.08f * gauss(radius(x, y), 0.12f);
        return rgb(v, v, v) * edgeFade(radius(x, y) * 0.95f);
    });
    return true;
}

// Lens 4: a soft disc, brighter toward its rim.
bool drawLens4(Canvas& c) {
    paint(c, [](float x, float y) {
        float r = radius(x, y);
        float disc = smoothstep(0.36f, 0.3f, r);
        float v = disc * (0.35f + 0.45f * smoothstep(0.05f, 0.33f, r)) + 0.1f * gauss(r, 0.2f);
        return rgb(v, v, v) * edgeFade(r);
    });
    return true;
}

}  // namespace

void addGlowPictures(std::vector<PictureRecipe>& list) {
    addSquarePictures(list, 256,
                      {{"atom1.jpg", drawAtom}, {"flare2.jpg", drawFlare2},
                       {"flare3.jpg", drawFlare3}, {"flare4.jpg", drawFlare4},
                       {"flare5.jpg", drawFlare5}, {"netz-flare.jpg", drawNetzFlare},
                       {"blut2.jpg", drawBlut}, {"lens1.jpg", drawLens1}, {"lens2.jpg", drawLens2},
                       {"lens3.jpg", drawLens3}, {"lens4.jpg", drawLens4}});
}
