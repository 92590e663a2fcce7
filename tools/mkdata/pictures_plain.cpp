// Plain colour pictures and the curtain.
#include <cmath>

#include "noise.h"
#include "pictures.h"

namespace {

const float screenAspect = 4.0f / 3.0f;

bool drawBlack(Canvas& c) {
    paint(c, [](float, float) { return rgb(0, 0, 0); });
    return true;
}

bool drawWhite(Canvas& c) {
    paint(c, [](float, float) { return rgb(1, 1, 1); });
    return true;
}

// The wireframe overlays take their colour from this picture.
bool drawBlue(Canvas& c) {
    paint(c, [](float, float) { return rgb(0.12f, 0.35f, 1.0f); });
    return true;
}

// One half of the closing curtain, multiplied into the frame. The picture's
// lower half is black and its upper part white, joined by a wavy dark-red hem.
// The two halves are drawn full-screen, one turned half a turn, and slid in
// from below and above: a screen row meets the lower half of at least one of
// them once both are in place, so the closed curtain is black everywhere,
// while every row above its hem passes the frame through unchanged.
bool drawFader(Canvas& c) {
    paint(c, [&](float x, float y) {
        float v = 1 - y;  // texture v: 0 at the bottom row
        float u = x / c.aspect;
        float hem = 0.57f + 0.025f * std::sin(u * 6.2831853f * 7) +
                    0.012f * perlin(u * 9, 0.5f, 41u, 9);
        float t = smoothstep(hem, hem + 0.16f, v);
        // Folds: a gentle shading across the hem only.
        float fold = 0.85f + 0.15f * std::sin(u * 6.2831853f * 14);
        float k = t >= 1 ? 1 : t * fold;
        return rgb(std::pow(k, 0.6f), std::pow(k, 1.6f), std::pow(k, 1.8f));
    });
    return true;
}

}  // namespace

void addPlainPictures(std::vector<PictureRecipe>& list) {
    addSquarePictures(list, 256,
                      {{"black.jpg", drawBlack}, {"white.jpg", drawWhite}, {"blue.jpg", drawBlue}});
    list.push_back({"fader.jpg", 512, 512, screenAspect, drawFader});
}
