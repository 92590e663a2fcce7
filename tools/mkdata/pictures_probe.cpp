// Environment maps: each picture is what a mirror ball reflects, the way the
// demo looks them up (texture coordinate = normal x and y mapped to 0..1, the
// top of the picture facing up). Every probe is a small world of sky, horizon
// and floor with a few bright lights, so chrome objects catch highlights.
#include <cmath>
#include <vector>

#include "noise.h"
#include "pictures.h"

namespace {

const float pi = 3.14159265f;

struct Light {
    float azimuth;    // radians around the vertical axis, 0 = behind the viewer
    float elevation;  // radians above the horizon
    float width;      // angular radius of the soft spot
    Rgb colour;
};

struct Probe {
    Rgb zenith, skyHorizon, groundHorizon, nadir;
    Rgb horizonGlow;
    float cloudAmount;
    Rgb cloudColour;
    float gridAmount;  // glowing floor grid
    Rgb gridColour;
    std::vector<Light> lights;
    uint32_t seed;
};

Rgb environment(const Probe& p, float dx, float dy, float dz) {
    float elevation = std::asin(std::fmax(-1.0f, std::fmin(1.0f, dy)));
    float azimuth = std::atan2(dx, dz);
    Rgb col;
    if (dy >= 0) {
        col = mix(p.skyHorizon, p.zenith, std::pow(dy, 0.6f));
        // Clouds on a plane above the viewer.
        float k = 1.0f / (dy + 0.15f);
        float cl = fbm(dx * k * 1.5f, dz * k * 1.5f, p.seed, 5);
        col = mix(col, p.cloudColour, p.cloudAmount * smoothstep(0.0f, 0.6f, cl) * smoothstep(0.0f, 0.25f, dy));
    } else {
        float down = -dy;
        col = mix(p.groundHorizon, p.nadir, std::pow(down, 0.5f));
        float k = 1.0f / (down + 0.05f);
        float gx = dx * k * 2, gz = dz * k * 2;
        float lines = std::fmax(std::exp(-std::pow((gx - std::round(gx)) / 0.04f, 2.0f)),
                                std::exp(-std::pow((gz - std::round(gz)) / 0.04f, 2.0f)));
        float pattern = 0.5f + 0.5f * fbm(gx * 0.5f, gz * 0.5f, p.seed + 9u, 4);
        col = col * (0.7f + 0.6f * pattern) + p.gridColour * (p.gridAmount * lines * smoothstep(0.0f, 0.5f, down + 0.1f));
    }
    col = col + p.horizonGlow * std::exp(-(elevation * elevation) / (0.08f * 0.08f));
    for (const Light& l : p.lights) {
        float lx = std::cos(l.elevation) * std::sin(l.azimuth);
        float ly = std::sin(l.elevation);
        float lz = std::cos(l.elevation) * std::cos(l.azimuth);
        float d = std::acos(std::fmax(-1.0f, std::fmin(1.0f, lx * dx + ly * dy + lz * dz)));
        float spot = std::exp(-(d * d) / (l.width * l.width));
        float halo = 0.25f * std::exp(-(d * d) / (9 * l.width * l.width));
        col = col + l.colour * (spot + halo);
    }
    (void)azimuth;
    return col;
}

// Sphere-map lookup: the picture is the reflection seen in a ball from the
// front; outside the ball the rim colour is carried on.
bool drawProbe(Canvas& c, const Probe& p) {
    paint(c, [&](float x, float y) {
        float nx = 2 * x - 1, ny = 1 - 2 * y;
        float r2 = nx * nx + ny * ny;
        if (r2 > 0.998f) {
            float k = std::sqrt(0.998f / r2);
            nx *= k;
            ny *= k;
            r2 = 0.998f;
        }
        float nz = std::sqrt(1 - r2);
        // Reflect the view direction (0, 0, 1 toward the viewer) about n.
        float rx = 2 * nz * nx, ry = 2 * nz * ny, rz = 2 * nz * nz - 1;
        return environment(p, rx, ry, rz);
    });
    return true;
}

// Cool blue studio: bright soft boxes over a glowing floor grid.
bool drawEnvmap(Canvas& c) {
    return drawProbe(c, {{0.02f, 0.05f, 0.2f}, {0.15f, 0.45f, 0.8f}, {0.05f, 0.2f, 0.35f},
                         {0.0f, 0.02f, 0.06f}, {0.3f, 0.6f, 0.9f}, 0.3f, {0.5f, 0.7f, 1.0f},
                         0.7f, {0.2f, 0.8f, 1.0f},
                         {{0.6f, 0.7f, 0.22f, {0.9f, 0.95f, 1.0f}},
                          {-1.2f, 0.35f, 0.16f, {0.4f, 0.8f, 1.0f}},
                          {2.6f, 0.9f, 0.3f, {0.6f, 0.7f, 1.0f}},
                          {-2.4f, 0.2f, 0.1f, {1.0f, 1.0f, 1.0f}}},
                         11u});
}

// Warm sunset over dark water.
bool drawEnvmap2(Canvas& c) {
    return drawProbe(c, {{0.12f, 0.05f, 0.3f}, {1.0f, 0.45f, 0.15f}, {0.35f, 0.12f, 0.05f},
                         {0.03f, 0.01f, 0.03f}, {0.9f, 0.5f, 0.2f}, 0.55f, {1.0f, 0.6f, 0.45f},
                         0.15f, {1.0f, 0.5f, 0.2f},
                         {{0.3f, 0.12f, 0.12f, {1.0f, 0.85f, 0.5f}},
                          {-2.0f, 0.6f, 0.35f, {0.5f, 0.2f, 0.35f}}},
                         23u});
}

// Magenta sky, cyan horizon band, coloured lamps.
bool drawEnvmap4(Canvas& c) {
    return drawProbe(c, {{0.35f, 0.05f, 0.4f}, {0.8f, 0.25f, 0.6f}, {0.15f, 0.05f, 0.25f},
                         {0.02f, 0.0f, 0.05f}, {0.2f, 0.9f, 0.9f}, 0.35f, {1.0f, 0.6f, 0.9f},
                         0.45f, {0.9f, 0.3f, 1.0f},
                         {{0.9f, 0.45f, 0.15f, {0.3f, 1.0f, 0.9f}},
                          {-0.8f, 0.3f, 0.12f, {1.0f, 0.8f, 0.3f}},
                          {2.8f, 1.1f, 0.25f, {1.0f, 0.5f, 1.0f}}},
                         37u});
}

// Under water looking around: bright window to the surface above, green-blue
// depths below.
bool drawEnvmap5(Canvas& c) {
    return drawProbe(c, {{0.5f, 0.95f, 0.95f}, {0.05f, 0.45f, 0.45f}, {0.02f, 0.25f, 0.22f},
                         {0.0f, 0.04f, 0.08f}, {0.1f, 0.5f, 0.4f}, 0.6f, {0.8f, 1.0f, 0.95f},
                         0.2f, {0.3f, 1.0f, 0.7f},
                         {{0.0f, 1.45f, 0.45f, {0.7f, 1.0f, 0.95f}},
                          {1.5f, 0.9f, 0.12f, {1.0f, 1.0f, 0.9f}}},
                         53u});
}

}  // namespace

void addProbePictures(std::vector<PictureRecipe>& list) {
    addSquarePictures(list, 512,
                      {{"envmap.jpg", drawEnvmap}, {"envmap2.jpg", drawEnvmap2},
                       {"envmap4.jpg", drawEnvmap4}, {"envmap5.jpg", drawEnvmap5}});
}
