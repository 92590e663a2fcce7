// A luminous bird in flight: white body, feathers deepening to blue toward
// the wing tips, a faint cyan glow around it.
#include <cmath>

#include "figures.h"
#include "noise.h"
#include "outlines.h"

namespace {

// Feather streaks fanning out from a wing root, with a colour running from
// the root to the tips.
Rgb wingColour(float lx, float ly, float rootX, float rootY, float reach) {
    float dx = lx - rootX, dy = ly - rootY;
    float dist = std::sqrt(dx * dx + dy * dy) / reach;
    float angle = std::atan2(dy, dx);
    float streak = 0.86f + 0.14f * std::sin(angle * 45 + dist * 3);
    float shaft = std::pow(std::fabs(std::sin(angle * 11)), 30.0f) * smoothstep(0.3f, 0.6f, dist);
    Rgb col = mix(rgb(0.92f, 0.96f, 1.0f), rgb(0.08f, 0.35f, 0.85f), smoothstep(0.2f, 1.0f, dist));
    return col * streak * (1 - 0.35f * shaft);
}

}  // namespace

Figure birdFigure(int width, int height, float aspect) {
    Figure f{makeMask(width, height, aspect), makeCanvas(width, height, aspect)};
    const float x0 = 0.04f, y0 = 0.1f, w = 0.8f, h = 0.78f;
    f.shape = outlineMask(f.colour, placeOutline(birdOutline(), x0, y0, w, h));
    Mask glow = f.shape;
    blurMask(glow, 0.025f);
    forEachPixel(width, height, aspect, [&](size_t k, float x, float y) {
        float lx = (x - x0) / w, ly = (y - y0) / h;
        Rgb col;
        if (ly < 0.44f && lx > 0.33f) {
            col = wingColour(lx, ly, 0.42f, 0.48f, 0.55f);  // upper wing
        } else if (ly > 0.6f && lx > 0.36f && lx < 0.7f) {
            col = wingColour(lx, ly, 0.48f, 0.6f, 0.42f) * 0.8f;  // lower wing, in shade
        } else if (lx > 0.72f) {
            col = wingColour(lx, ly, 0.66f, 0.52f, 0.36f);  // tail
        } else {
            // Body: bright above, shaded below.
            float shade = smoothstep(0.62f, 0.44f, ly);
            col = mix(rgb(0.45f, 0.6f, 0.8f), rgb(1.0f, 1.0f, 1.0f), shade);
        }
        // Beak and eye.
        if (lx < 0.12f) col = mix(col, rgb(1.0f, 0.65f, 0.15f), smoothstep(0.12f, 0.09f, lx));
        float eye = std::hypot((lx - 0.165f) * w, (ly - 0.475f) * h);
        col = mix(col, rgb(0.02f, 0.02f, 0.05f), smoothstep(0.011f, 0.007f, eye));
        float cov = f.shape.a[k];
        f.colour.px[k] = col * cov + rgb(0.2f, 0.7f, 1.0f) * (0.5f * glow.a[k] * (1 - cov));
    });
    return f;
}
