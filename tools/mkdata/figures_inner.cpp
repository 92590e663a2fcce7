// The head full of stars ("inner world") and the title emblem.
#include <cmath>

#include "figures.h"
#include "noise.h"
#include "outlines.h"

namespace {

float gauss(float d, float w) { return std::exp(-(d * d) / (w * w)); }

// What fills the head: a spiral of stars and a net of glowing nerves.
Rgb innerSpace(float x, float y, float cx, float cy) {
    float dx = x - cx, dy = y - cy;
    float r = std::sqrt(dx * dx + dy * dy);
    float a = std::atan2(dy, dx);
    float arms = std::pow(0.5f + 0.5f * std::sin(2 * a - r * 18 + fbm(x * 4, y * 4, 601u, 3) * 2), 3.0f);
    float core = gauss(r, 0.07f);
    float haze = 0.5f + 0.5f * fbm(x * 3, y * 3, 602u, 5);
    Rgb col = rgb(0.05f, 0.03f, 0.15f) * (0.6f + haze) + rgb(0.3f, 0.5f, 1.0f) * (arms * gauss(r, 0.28f) * 0.7f) +
              rgb(1.0f, 0.85f, 0.55f) * (core * 0.9f);
    Cells net = cells(x * 9, y * 9, 603u);
    float nerve = std::exp(-std::pow((net.f2 - net.f1) / 0.04f, 2.0f)) * smoothstep(0.5f, 0.9f, haze);
    Cells stars = cells(x * 40, y * 40, 604u);
    float star = stars.id > 0.8f ? gauss(stars.f1, 0.08f) : 0.0f;
    return col + rgb(0.9f, 0.5f, 1.0f) * (nerve * 0.35f) + rgb(1, 1, 1) * star;
}

}  // namespace

Figure innerWorldFigure(int width, int height, float aspect) {
    Figure f{makeMask(width, height, aspect), makeCanvas(width, height, aspect)};
    const float x0 = aspect * 0.5f - 0.42f, y0 = 0.05f, w = 0.8f, h = 1.0f;
    f.shape = outlineMask(f.colour, placeOutline(headProfileOutline(), x0, y0, w, h));
    const float cx = x0 + 0.47f * w, cy = y0 + 0.3f * h;  // middle of the skull
    forEachPixel(width, height, aspect, [&](size_t k, float x, float y) {
        float cov = f.shape.a[k];
        if (cov <= 0) return;
        // Light catches the face from the right.
        float rim = cov * (1 - sampleMask(f.shape, x + 0.01f, y));
        float rimBack = cov * (1 - sampleMask(f.shape, x - 0.008f, y + 0.004f));
        Rgb col = innerSpace(x, y, cx, cy) + rgb(0.5f, 0.9f, 1.0f) * (rim * 1.2f) +
                  rgb(0.6f, 0.3f, 1.0f) * (rimBack * 0.6f);
        f.colour.px[k] = col * cov;
    });
    return f;
}

// The emblem: a drop over rings of ripples inside a badge, with light lines
// running out to both sides.
Figure logoFigure(int width, int height, float aspect) {
    Figure f{makeMask(width, height, aspect), makeCanvas(width, height, aspect)};
    float soft = pixelSize(width, height, aspect) * 1.5f;
    const float cx = aspect * 0.5f, cy = 0.5f, badge = 0.3f;
    Outline drop = smoothOutline({{0.5f, 0.0f}, {0.68f, 0.28f}, {0.9f, 0.55f}, {0.86f, 0.84f}, {0.5f, 1.0f},
                                  {0.14f, 0.84f}, {0.1f, 0.55f}, {0.32f, 0.28f}}, 10);
    const float dropX = cx - 0.12f, dropY = 0.25f, dropW = 0.24f, dropH = 0.37f;
    Mask dropMask = outlineMask(f.colour, placeOutline(drop, dropX, dropY, dropW, dropH));
    forEachPixel(width, height, aspect, [&](size_t k, float x, float y) {
        float dx = x - cx, dy = y - cy;
        float r = std::sqrt(dx * dx + dy * dy);
        float disc = coverage(r - badge, soft);
        // Badge: deep water with faint ripples rising toward the drop.
        Rgb col = mix(rgb(0.0f, 0.05f, 0.15f), rgb(0.0f, 0.25f, 0.4f), clamp01(0.9f - y));
        for (int ring = 0; ring < 3; ++ring) {
            float ry = 0.032f + ring * 0.018f, rx = 0.085f + ring * 0.065f;
            float e = std::sqrt((dx / rx) * (dx / rx) + ((y - 0.67f) / ry) * ((y - 0.67f) / ry));
            col = col + rgb(0.3f, 0.8f, 1.0f) * (gauss(e - 1, 0.12f) * (0.7f - ring * 0.18f));
        }
        // The ring of the badge, bright metal.
        float ring = ringCoverage(x, y, cx, cy, badge - 0.01f, 0.013f, soft);
        Rgb metal = mix(rgb(0.25f, 0.55f, 0.8f), rgb(0.9f, 1.0f, 1.0f), clamp01(0.5f - dy * 1.5f + dx * 0.5f));
        col = mix(col, metal, ring);
        // The drop: glassy, lit from the upper left.
        float dm = dropMask.a[k];
        if (dm > 0) {
            float lx = (x - dropX) / dropW, ly = (y - dropY) / dropH;
            Rgb water = mix(rgb(0.6f, 0.95f, 1.0f), rgb(0.05f, 0.3f, 0.85f), clamp01(lx * 0.6f + ly * 0.7f));
            float highlight = gauss(std::hypot(lx - 0.4f, ly - 0.55f), 0.08f);
            col = mix(col, water + rgb(1, 1, 1) * highlight, dm);
        }
        // Light lines leaving the badge to both sides.
        float side = std::fabs(dx) - badge;
        float lines = 0;
        if (side > 0) {
            float taper = 1 - clamp01(side / (cx - badge));
            for (int l = -1; l <= 1; l += 2) {
                float off = l * 0.04f * (1 + side * 0.5f);
                lines += coverage(std::fabs(dy - off) - 0.008f * taper, soft) * taper;
            }
        }
        col = col * disc + rgb(0.4f, 0.85f, 1.0f) * lines;
        // A soft glow around the badge.
        col = col + rgb(0.1f, 0.4f, 0.6f) * (gauss(r - badge, 0.04f) * 0.5f * (r > badge ? 1.0f : 0.0f));
        f.colour.px[k] = col;
        f.shape.a[k] = std::fmax(disc, clamp01(lines));
    });
    return f;
}
