// The fire breather: a dark figure, head thrown back, blowing a plume of
// flame up to the right. The flame counts as half-covering in the opacity
// picture, so the frame dims behind it.
#include <cmath>

#include "figures.h"
#include "noise.h"
#include "outlines.h"

namespace {

Rgb fireRamp(float t) {
    t = clamp01(t);
    if (t < 0.25f) return rgb(0.55f, 0.02f, 0.0f) * (t / 0.25f);
    if (t < 0.5f) return mix(rgb(0.55f, 0.02f, 0.0f), rgb(1.0f, 0.35f, 0.0f), (t - 0.25f) / 0.25f);
    if (t < 0.75f) return mix(rgb(1.0f, 0.35f, 0.0f), rgb(1.0f, 0.75f, 0.2f), (t - 0.5f) / 0.25f);
    return mix(rgb(1.0f, 0.75f, 0.2f), rgb(1.0f, 1.0f, 0.85f), (t - 0.75f) / 0.25f);
}

}  // namespace

Figure fireBreatherFigure(int width, int height, float aspect) {
    Figure f{makeMask(width, height, aspect), makeCanvas(width, height, aspect)};
    // The bust in the lower left, tilted back.
    const float x0 = 0.05f, y0 = 0.55f, w = 0.52f, h = 0.58f, tilt = -0.45f;
    const float pivotX = x0 + 0.45f * w, pivotY = y0 + 0.8f * h;
    Outline bust = rotateOutline(placeOutline(headProfileOutline(), x0, y0, w, h), pivotX, pivotY, tilt);
    Mask body = outlineMask(f.colour, bust);
    // Mouth position after the tilt; the flame leaves it up and to the right.
    float mx = x0 + 0.745f * w - pivotX, my = y0 + 0.5f * h - pivotY;
    float mouthX = pivotX + mx * std::cos(tilt) - my * std::sin(tilt) + 0.01f;
    float mouthY = pivotY + mx * std::sin(tilt) + my * std::cos(tilt);
    const float dirX = 0.6f, dirY = -0.8f;
    forEachPixel(width, height, aspect, [&](size_t k, float x, float y) {
        float px = x - mouthX, py = y - mouthY;
        float s = px * dirX + py * dirY;    // along the plume
        float t = -px * dirY + py * dirX;   // across it
        float flame = 0;
        if (s > -0.02f) {
            float warp = 0.08f * fbm(s * 5 - 0.0f, t * 5, 401u, 4) * s * 2;
            float spread = 0.015f + 0.32f * s;
            float core = std::exp(-std::pow((t + warp) / spread, 2.0f));
            float licks = 0.6f + 0.7f * fbm(s * 9, (t + warp) * 9, 402u, 5);
            float along = smoothstep(-0.02f, 0.04f, s) * (1 - smoothstep(0.35f, 0.85f, s));
            flame = clamp01(core * licks * along * 1.4f);
        }
        float heat = flame * (1.15f - 0.5f * s);
        Rgb col = fireRamp(heat) * smoothstep(0.0f, 0.15f, flame);
        float cov = body.a[k];
        if (cov > 0) {
            // Dark skin lit from the flame above: a hot rim toward it.
            float rim = cov * (1 - sampleMask(body, x + 0.012f * dirX, y + 0.012f * dirY));
            float glow = std::exp(-(px * px + py * py) / 0.05f);
            Rgb skin = rgb(0.06f, 0.03f, 0.03f) + rgb(0.6f, 0.22f, 0.05f) * (0.5f * glow) +
                       rgb(1.0f, 0.6f, 0.2f) * (rim * (0.25f + 0.9f * glow));
            col = mix(col, skin, cov);
        }
        f.colour.px[k] = col;
        f.shape.a[k] = std::fmax(cov, 0.75f * smoothstep(0.05f, 0.6f, flame));
    });
    return f;
}
