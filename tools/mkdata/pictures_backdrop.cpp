// Full-screen pictures: the title's backdrop and emblem, the inner world of
// the light scene's ending, and the two pictures shown alone in the artery.
#include <cmath>

#include "backdrops.h"
#include "figures.h"
#include "noise.h"
#include "pictures.h"

namespace {

const float screenAspect = 4.0f / 3.0f;
// The emblem's layer: 1.6 x 1.1 of the screen, 512 x 264 pixels.
const float logoAspect = 512.0f / 264.0f;

float gauss(float d, float w) { return std::exp(-(d * d) / (w * w)); }

// Deep water seen from below the surface: light shafts, a net of caustics
// near the top and drifting motes.
bool drawLogoBackground(Canvas& c) {
    const float A = c.aspect;
    paint(c, [&](float x, float y) {
        Rgb col = mix(rgb(0.05f, 0.35f, 0.45f), rgb(0.0f, 0.03f, 0.1f), std::pow(y, 0.7f));
        float a = std::atan2(y + 0.4f, x - A * 0.5f);
        float shaft = std::pow(0.5f + 0.5f * perlin(a * 9, 0.3f, 801u), 4.0f);
        col = col + rgb(0.35f, 0.7f, 0.75f) * (shaft * 0.6f * (1 - y));
        float wx = x + 0.15f * fbm(x * 3, y * 3, 802u, 3), wy = y + 0.15f * fbm(x * 3, y * 3, 805u, 3);
        Cells net = cells(wx * 7, wy * 14, 803u);
        float caustic = std::pow(1 - smoothstep(0.0f, 0.25f, net.f2 - net.f1), 4.0f);
        col = col + rgb(0.4f, 0.9f, 0.9f) * (caustic * 0.35f * smoothstep(0.4f, 0.0f, y));
        Cells motes = cells(x * 30, y * 30, 804u);
        float mote = motes.id > 0.85f ? gauss(motes.f1, 0.1f) : 0.0f;
        return col + rgb(0.6f, 0.9f, 0.9f) * (mote * 0.5f);
    });
    return true;
}

// A glowing tissue of cells, violet and rose, lit from its middle.
bool drawInnenweltBackground(Canvas& c) {
    const float A = c.aspect;
    paint(c, [&](float x, float y) {
        float r = std::hypot(x - A * 0.5f, y - 0.5f);
        float haze = 0.5f + 0.5f * fbm(x * 2.5f, y * 2.5f, 811u, 5);
        Rgb col = mix(rgb(0.08f, 0.0f, 0.12f), rgb(0.45f, 0.08f, 0.4f), haze) * (1.2f - r);
        Cells cl = cells(x * 5 + 0.4f * fbm(x * 3, y * 3, 812u, 3), y * 5, 813u);
        float wall = std::pow(1 - smoothstep(0.0f, 0.25f, cl.f2 - cl.f1), 2.0f);
        float nucleus = gauss(cl.f1, 0.12f) * (cl.id > 0.4f ? 1.0f : 0.3f);
        col = col + rgb(0.9f, 0.35f, 0.6f) * (wall * 0.45f) + rgb(1.0f, 0.6f, 0.3f) * (nucleus * 0.35f);
        return col + rgb(1.0f, 0.7f, 0.8f) * (gauss(r, 0.3f) * 0.25f);
    });
    return true;
}

// The inner world is seen through the head: the mask is a window, white inside
// the head and dark around it, so the light scene (zoomed in, at the middle of
// the head) shows through until the head has shrunk to its place.
bool drawInnenweltOpacity(Canvas& c) {
    Mask window = innerWorldFigure(c.width, c.height, c.aspect).shape;
    blurMask(window, 0.008f);
    for (size_t k = 0; k < c.px.size(); ++k) {
        const float v = clamp01(window.a[k]);
        c.px[k] = rgb(v, v, v);
    }
    return true;
}
// Added over the window: only the lit outline of the head.
bool drawInnenweltVordergrund(Canvas& c) {
    const Mask shape = innerWorldFigure(c.width, c.height, c.aspect).shape;
    Mask wide = shape;
    blurMask(wide, 0.02f);
    for (size_t k = 0; k < c.px.size(); ++k) {
        const float rim = clamp01(std::fabs(wide.a[k] - shape.a[k]) * 2.5f);
        c.px[k] = rgb(0.45f, 0.85f, 1.0f) * rim + rgb(0.6f, 0.3f, 1.0f) * (rim * rim * 0.5f);
    }
    return true;
}

}  // namespace

void addBackdropPictures(std::vector<PictureRecipe>& list) {
    list.push_back({"logo-background.jpg", 512, 512, screenAspect, drawLogoBackground});
    addMaskedPair<logoFigure>(list, "logo-quelltarnlogo.jpg", "logo-opacity.jpg", 512, 256, logoAspect);
    list.push_back({"innenwelt-background.jpg", 512, 512, screenAspect, drawInnenweltBackground});
    list.push_back({"innenwelt-opacity.jpg", 512, 512, screenAspect, drawInnenweltOpacity});
    list.push_back({"innenwelt-vordergrund.jpg", 512, 512, screenAspect, drawInnenweltVordergrund});
    list.push_back({"jesus.jpg", 512, 512, screenAspect, drawJesus});
    list.push_back({"fishpic.jpg", 512, 512, screenAspect, drawFishPicture});
}
