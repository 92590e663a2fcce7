// An embryo curled up in its glowing sac, tied to the wall by its cord.
#include <algorithm>
#include <cmath>

#include "figures.h"
#include "noise.h"
#include "shapes.h"

namespace {

float smoothUnion(float a, float b, float k) {
    float h = clamp01(0.5f + 0.5f * (b - a) / k);
    return mixf(b, a, h) - k * h * (1 - h);
}

float sdRotatedEllipse(float x, float y, float cx, float cy, float rx, float ry, float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    float dx = x - cx, dy = y - cy;
    return sdEllipse(dx * c + dy * s, -dx * s + dy * c, 0, 0, rx, ry);
}

// Signed distance of the curled body: head, back, knees, arm and leg.
float sdEmbryo(float x, float y) {
    float head = sdCircle(x, y, 0.61f, 0.36f, 0.125f);
    float body = sdRotatedEllipse(x, y, 0.73f, 0.56f, 0.13f, 0.175f, -0.5f);
    float knees = sdCircle(x, y, 0.63f, 0.63f, 0.065f);
    float arm = sdSegment(x, y, 0.67f, 0.49f, 0.6f, 0.53f) - 0.026f;
    float leg = sdSegment(x, y, 0.8f, 0.67f, 0.66f, 0.68f) - 0.038f;
    float d = smoothUnion(head, body, 0.05f);
    d = smoothUnion(d, knees, 0.04f);
    d = smoothUnion(d, arm, 0.02f);
    return smoothUnion(d, leg, 0.03f);
}

// Distance to the cord, a quadratic curve from the belly to the sac wall.
float cordDistance(float x, float y, float* along) {
    const float ax = 0.7f, ay = 0.6f, bx = 0.98f, by = 0.6f, cx = 0.93f, cy = 0.84f;
    float best = 1e9f;
    for (int s = 0; s <= 40; ++s) {
        float t = s / 40.0f;
        float px = (1 - t) * (1 - t) * ax + 2 * t * (1 - t) * bx + t * t * cx;
        float py = (1 - t) * (1 - t) * ay + 2 * t * (1 - t) * by + t * t * cy;
        float d = std::hypot(x - px, y - py);
        if (d < best) {
            best = d;
            *along = t;
        }
    }
    return best;
}

}  // namespace

Figure embryoFigure(int width, int height, float aspect) {
    Figure f{makeMask(width, height, aspect), makeCanvas(width, height, aspect)};
    float soft = pixelSize(width, height, aspect) * 1.5f;
    const float sacX = aspect * 0.5f, sacY = 0.5f, sacR = 0.42f;
    // The body is drawn around (0.7, 0.5); centre it in the sac.
    const float shiftX = sacX - 0.7f;
    forEachPixel(width, height, aspect, [&](size_t k, float x, float y) {
        float r = std::hypot(x - sacX, y - sacY) / sacR;
        float sac = coverage(r * sacR - sacR, soft);
        // Membrane: brighter toward the wall, with fine veins.
        float vein = 1 - smoothstep(0.0f, 0.04f, std::fabs(fbm(x * 5, y * 5, 501u, 4)));
        Rgb col = rgb(0.3f, 0.04f, 0.1f) * (0.35f + 0.65f * std::pow(std::min(r, 1.0f), 3.0f)) +
                  rgb(0.5f, 0.08f, 0.1f) * (vein * 0.5f * r);
        col = col * sac + rgb(1.0f, 0.5f, 0.55f) * (std::exp(-std::pow((r - 1) / 0.03f, 2.0f)) * 0.7f) +
              rgb(0.6f, 0.15f, 0.3f) * (std::exp(-std::pow((r - 1) / 0.12f, 2.0f)) * 0.25f * (r > 1 ? 1.0f : 0.0f));
        float bx = x - shiftX;
        // Cord behind the body.
        float along = 0;
        float cd = cordDistance(bx, y, &along);
        float cord = coverage(cd - 0.02f, soft) * sac;
        float twist = 0.75f + 0.25f * std::sin(along * 60 + (cd / 0.02f) * 2);
        col = mix(col, rgb(0.95f, 0.6f, 0.65f) * twist * (1 - 0.5f * cd / 0.02f), cord);
        // Body: translucent, darker red at its edge, glowing within.
        float d = sdEmbryo(bx, y);
        float body = coverage(d, soft);
        if (body > 0) {
            float depth = smoothstep(0.0f, 0.07f, -d);
            Rgb skin = mix(rgb(0.7f, 0.15f, 0.15f), rgb(1.0f, 0.72f, 0.58f), depth);
            float light = 0.75f + 0.35f * clamp01((0.45f - y) * 3 + (0.7f - bx) * 2);
            skin = skin * light;
            float eye = sdEllipse(bx, y, 0.575f, 0.35f, 0.026f, 0.012f);
            skin = mix(skin, rgb(0.35f, 0.05f, 0.08f), coverage(eye, soft));
            col = mix(col, skin, body);
        }
        f.colour.px[k] = col;
        f.shape.a[k] = sac;
    });
    return f;
}
