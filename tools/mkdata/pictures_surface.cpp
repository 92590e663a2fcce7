// Textures for meshes: rock, vessel wall, nerve network, sea floor, caustics,
// fish skin, sea grass and water. All are seamless over the picture, since
// the scenes repeat them across their objects.
#include <cmath>
#include <vector>

#include "noise.h"
#include "pictures.h"

namespace {

const float twoPi = 6.2831853f;

// Shading of a seamless height field: fills `height` with h(u, v) and returns
// per pixel the light falling on it from the upper left (0..about 1.2).
std::vector<float> shadeHeight(int size, const std::vector<float>& height, float strength) {
    std::vector<float> light(height.size());
    for (int j = 0; j < size; ++j) {
        for (int i = 0; i < size; ++i) {
            auto h = [&](int x, int y) {
                return height[size_t((y + size) % size) * size + size_t((x + size) % size)];
            };
            float dx = (h(i + 1, j) - h(i - 1, j)) * strength;
            float dy = (h(i, j + 1) - h(i, j - 1)) * strength;
            float nx = -dx, ny = -dy, nz = 1;
            float len = std::sqrt(nx * nx + ny * ny + nz * nz);
            // Light from the upper left and in front.
            float l = (nx * -0.5f + ny * -0.5f + nz * 0.7071f) / len;
            light[size_t(j) * size + i] = std::fmax(0.0f, l);
        }
    }
    return light;
}

template <typename F>
std::vector<float> heightField(int size, F f) {
    std::vector<float> h(size_t(size) * size);
    for (int j = 0; j < size; ++j)
        for (int i = 0; i < size; ++i) h[size_t(j) * size + i] = f((i + 0.5f) / size, (j + 0.5f) / size);
    return h;
}

// Cracks along some of the borders of warped cells, not all: a net of
// every border would look like paving.
float crackDepth(float u, float v) {
    float wu = u + 0.06f * fbm(u * 3, v * 3, 72u, 4, 3);
    float wv = v + 0.06f * fbm(u * 3, v * 3, 73u, 4, 3);
    Cells c = cells(wu * 4, wv * 4, 71u, 4);
    float line = 1 - smoothstep(0.0f, 0.045f, c.f2 - c.f1);
    return line * smoothstep(-0.1f, 0.25f, fbm(u * 4, v * 4, 74u, 3, 4));
}

bool drawFelsen(Canvas& c) {
    int n = c.width;
    std::vector<float> h = heightField(n, [](float u, float v) {
        float ridges = 1 - std::fabs(fbm(u * 3, v * 3, 61u, 5, 3));
        return 0.6f * fbm(u * 4, v * 4, 62u, 6, 4) + 0.35f * ridges * ridges - 0.25f * crackDepth(u, v);
    });
    std::vector<float> light = shadeHeight(n, h, 60.0f);
    paint(c, [&](float u, float v) {
        size_t k = size_t(v * n) * n + size_t(u * n);
        float tone = 0.5f + 0.5f * fbm(u * 6, v * 6, 63u, 4, 6);
        Rgb stone = mix(rgb(0.26f, 0.24f, 0.22f), rgb(0.55f, 0.5f, 0.44f), tone);
        float moss = smoothstep(0.15f, 0.45f, fbm(u * 3, v * 3, 64u, 5, 3)) * 0.7f;
        stone = mix(stone, rgb(0.24f, 0.32f, 0.14f), moss);
        float speck = hash01(int(u * n), int(v * n), 65u) * 0.08f;
        float crack = crackDepth(u, v);
        return stone * (0.35f + 0.85f * light[k]) * (1 - 0.6f * crack) + rgb(speck, speck, speck);
    });
    return true;
}

// The inside of a blood vessel: wet red tissue with branching veins.
bool drawAterieMap(Canvas& c) {
    int n = c.width;
    std::vector<float> h = heightField(n, [](float u, float v) {
        Cells cl = cells(u * 8, v * 8, 81u, 8);
        return 0.5f * fbm(u * 4, v * 4, 82u, 5, 4) + 0.35f * (1 - smoothstep(0.0f, 0.6f, cl.f1));
    });
    std::vector<float> light = shadeHeight(n, h, 40.0f);
    paint(c, [&](float u, float v) {
        size_t k = size_t(v * n) * n + size_t(u * n);
        float tone = 0.5f + 0.5f * fbm(u * 3, v * 3, 83u, 4, 3);
        Rgb flesh = mix(rgb(0.45f, 0.05f, 0.07f), rgb(0.9f, 0.3f, 0.28f), tone);
        float vein1 = 1 - smoothstep(0.0f, 0.05f, std::fabs(fbm(u * 3, v * 3, 84u, 4, 3)));
        float vein2 = 1 - smoothstep(0.0f, 0.035f, std::fabs(fbm(u * 7, v * 7, 85u, 3, 7)));
        flesh = mix(flesh, rgb(0.25f, 0.02f, 0.12f), 0.8f * vein1 + 0.4f * vein2);
        float l = light[k];
        float gloss = std::pow(l, 12.0f) * 0.6f;
        return flesh * (0.4f + 0.8f * l) + rgb(1, 0.8f, 0.8f) * gloss;
    });
    return true;
}

// Glowing filaments between nodes, on black (added to the frame).
bool drawNetzMap(Canvas& c) {
    paint(c, [](float u, float v) {
        Rgb col = rgb(0, 0, 0);
        for (int layer = 0; layer < 2; ++layer) {
            int period = layer == 0 ? 5 : 11;
            float wu = u + 0.02f * fbm(u * 4, v * 4, 91u + layer, 3, 4);
            float wv = v + 0.02f * fbm(u * 4, v * 4, 93u + layer, 3, 4);
            Cells cl = cells(wu * period, wv * period, 95u + layer, period);
            float line = std::exp(-std::pow((cl.f2 - cl.f1) / 0.035f, 2.0f));
            float node = std::exp(-std::pow(cl.f1 / 0.09f, 2.0f));
            float k = layer == 0 ? 1.0f : 0.45f;
            col = col + rgb(0.2f, 0.55f, 1.0f) * (line * 0.8f * k) + rgb(0.8f, 0.9f, 1.0f) * (node * k);
        }
        return col;
    });
    return true;
}

// Dim violet haze with sparse sparks, behind the network.
bool drawNetzBack(Canvas& c) {
    paint(c, [](float u, float v) {
        float cloud = 0.5f + 0.5f * fbm(u * 3, v * 3, 101u, 6, 3);
        float wisps = 1 - std::fabs(fbm(u * 5, v * 5, 102u, 5, 5));
        Rgb col = mix(rgb(0.02f, 0.0f, 0.08f), rgb(0.3f, 0.08f, 0.45f), cloud * cloud) +
                  rgb(0.05f, 0.15f, 0.35f) * std::pow(wisps, 6.0f);
        Cells sp = cells(u * 24, v * 24, 103u, 24);
        float spark = std::exp(-std::pow(sp.f1 / 0.06f, 2.0f)) * (sp.id > 0.7f ? 1.0f : 0.0f);
        return col + rgb(0.8f, 0.7f, 1.0f) * spark;
    });
    return true;
}

// Rippled sand with pebbles.
bool drawMeergrund(Canvas& c) {
    int n = c.width;
    std::vector<float> h = heightField(n, [](float u, float v) {
        float warp = 0.25f * fbm(u * 2, v * 2, 111u, 3, 2);
        float ripples = std::sin(twoPi * (7 * v + warp + 0.3f * std::sin(twoPi * u)));
        Cells p = cells(u * 9, v * 9, 112u, 9);
        float pebble = p.id > 0.75f ? smoothstep(0.35f, 0.15f, p.f1) : 0.0f;
        return 0.12f * ripples + 0.1f * fbm(u * 8, v * 8, 113u, 4, 8) + 0.5f * pebble;
    });
    std::vector<float> light = shadeHeight(n, h, 30.0f);
    paint(c, [&](float u, float v) {
        size_t k = size_t(v * n) * n + size_t(u * n);
        float tone = 0.5f + 0.5f * fbm(u * 3, v * 3, 114u, 4, 3);
        Rgb sand = mix(rgb(0.55f, 0.45f, 0.3f), rgb(0.8f, 0.72f, 0.52f), tone);
        Cells p = cells(u * 9, v * 9, 112u, 9);
        if (p.id > 0.75f) {
            float cov = smoothstep(0.33f, 0.27f, p.f1);
            Rgb stone = mix(rgb(0.35f, 0.33f, 0.32f), rgb(0.6f, 0.5f, 0.42f), hash01(int(p.id * 1000), 0, 5u));
            sand = mix(sand, stone, cov);
        }
        float weed = smoothstep(0.3f, 0.55f, fbm(u * 2, v * 2, 115u, 4, 2));
        sand = mix(sand, rgb(0.25f, 0.3f, 0.15f), weed * 0.6f);
        return sand * (0.45f + 0.7f * light[k]);
    });
    return true;
}

// Caustics: the light network that waves throw on the bottom.
bool drawWater(Canvas& c) {
    paint(c, [](float u, float v) {
        float sum = 0;
        for (int layer = 0; layer < 2; ++layer) {
            int period = layer == 0 ? 4 : 7;
            float wu = u + 0.05f * fbm(u * 3, v * 3, 121u + layer, 3, 3);
            float wv = v + 0.05f * fbm(u * 3, v * 3, 123u + layer, 3, 3);
            Cells cl = cells(wu * period, wv * period, 125u + layer, period);
            float line = 1 - smoothstep(0.0f, 0.22f, cl.f2 - cl.f1);
            sum += std::pow(line, 3.0f) * (layer == 0 ? 0.75f : 0.45f);
        }
        return rgb(0.0f, 0.03f, 0.06f) + rgb(0.55f, 0.85f, 1.0f) * sum;
    });
    return true;
}

// Fish skin: rows of overlapping scales in warm colours with blue spots.
bool drawBallfish(Canvas& c) {
    const int columns = 16, rows = 24;  // rows even, so the offset rows repeat
    paint(c, [&](float u, float v) {
        float x = u * columns, y = v * rows * 0.5f;
        // The lowest scale covering the point lies in front.
        float bestD = 2, bestRow = -100;
        for (int j = int(std::floor(y * 2)) + 1; j >= int(std::floor(y * 2)) - 2; --j) {
            float cy = j * 0.5f;
            float off = (j & 1) ? 0.5f : 0.0f;
            float cx = std::floor(x - off) + off + 0.5f;
            for (int s = -1; s <= 1; ++s) {
                float dx = x - (cx + s), dy = y - cy;
                float d = std::sqrt(dx * dx + dy * dy * 1.6f);
                if (dy > -0.15f && d < 0.62f) {
                    bestD = d;
                    bestRow = float(j);
                    break;
                }
            }
            if (bestRow > -100) break;
        }
        float t = clamp01(bestD / 0.62f);
        float below = clamp01((y - bestRow * 0.5f) / 0.55f + 0.5f);
        float tone = 0.5f + 0.5f * fbm(u * 2, v * 2, 131u, 4, 2);
        Rgb base = mix(rgb(0.95f, 0.45f, 0.08f), rgb(1.0f, 0.8f, 0.2f), tone);
        Cells spot = cells(u * 5, v * 5, 132u, 5);
        float spotCov = spot.id > 0.6f ? smoothstep(0.26f, 0.12f, spot.f1) : 0.0f;
        base = mix(base, rgb(0.1f, 0.18f, 0.45f), spotCov * 0.85f);
        // Each scale darkens where the row above overlaps it and shines
        // toward its free lower edge, which has a thin dark outline.
        float lit = 0.45f + 0.55f * smoothstep(0.0f, 0.9f, below);
        float outline = smoothstep(0.85f, 1.0f, t);
        float sheen = std::exp(-std::pow((below - 0.75f) / 0.15f, 2.0f)) * 0.25f * (1 - outline);
        return base * lit * (1 - 0.6f * outline) + rgb(1, 1, 0.9f) * sheen;
    });
    return true;
}

// Sea grass: swaying blades rising from the bottom, on black (added).
bool drawGrass(Canvas& c) {
    const int blades = 36;
    paint(c, [&](float u, float v) {
        float h = 1 - v;  // height above the bottom edge
        Rgb col = rgb(0, 0, 0);
        for (int b = 0; b < blades; ++b) {
            float root = hash01(b, 0, 141u);
            float tall = 0.45f + 0.55f * hash01(b, 1, 141u);
            if (h > tall) continue;
            float bend = (hash01(b, 2, 141u) - 0.5f) * 0.3f;
            float t = h / tall;
            float cx = root + bend * t * t + 0.015f * std::sin(twoPi * (t * 2 + root));
            float dx = u - cx;
            dx -= std::round(dx);  // seamless across the sides
            float width = 0.018f * (1 - t) + 0.002f;
            float cov = smoothstep(width, width * 0.6f, std::fabs(dx));
            if (cov <= 0) continue;
            float vein = std::exp(-std::pow(dx / (width * 0.25f), 2.0f)) * 0.3f;
            Rgb g = mix(rgb(0.05f, 0.25f, 0.08f), rgb(0.5f, 0.9f, 0.3f), t) * (0.5f + 0.5f * hash01(b, 3, 141u));
            col = mix(col, g + rgb(vein, vein, vein * 0.5f), cov);
        }
        return col;
    });
    return true;
}

bool drawWaterSurface(Canvas& c) {
    paint(c, [&](float u, float v) { return waterSurfaceColour(u / c.aspect, v); });
    return true;
}

}  // namespace

Rgb waterSurfaceColour(float u, float v) {
    float swell = 0.5f + 0.5f * fbm(u * 2, v * 2, 151u, 5, 2);
    Rgb col = mix(rgb(0.02f, 0.12f, 0.35f), rgb(0.0f, 0.55f, 0.65f), swell);
    float violet = smoothstep(0.2f, 0.6f, fbm(u * 3, v * 3, 152u, 4, 3));
    col = mix(col, rgb(0.25f, 0.15f, 0.55f), violet * 0.5f);
    // Light lines of warped cells: the bright net of a moving surface.
    float wu = u + 0.04f * fbm(u * 4, v * 4, 155u, 3, 4), wv = v + 0.04f * fbm(u * 4, v * 4, 156u, 3, 4);
    Cells cl = cells(wu * 5, wv * 5, 153u, 5);
    float lines = std::pow(1 - smoothstep(0.0f, 0.16f, cl.f2 - cl.f1), 4.0f);
    col = col + rgb(0.35f, 0.8f, 0.85f) * (lines * 0.45f);
    float glint = std::pow(0.5f + 0.5f * fbm(u * 8, v * 8, 154u, 3, 8), 10.0f) * 6;
    return col + rgb(1.0f, 0.9f, 0.6f) * glint;
}

float waterHeight(float u, float v) {
    float h = 0.5f + 0.16f * std::sin(twoPi * (3 * u + 2 * v)) +
              0.12f * std::sin(twoPi * (-2 * u + 4 * v) + 1.3f) +
              0.08f * std::sin(twoPi * (5 * u - 1 * v) + 2.1f) + 0.1f * fbm(u * 4, v * 4, 161u, 3, 4);
    return clamp01(h);
}

void addSurfacePictures(std::vector<PictureRecipe>& list) {
    addSquarePictures(list, 512,
                      {{"felsen.jpg", drawFelsen}, {"aterie-map.jpg", drawAterieMap},
                       {"netz-map.jpg", drawNetzMap}, {"netz-back.jpg", drawNetzBack},
                       {"meergrund.jpg", drawMeergrund}, {"water.jpg", drawWater},
                       {"ballfish.jpg", drawBallfish}, {"grass.jpg", drawGrass}});
    // Stand-ins for the two textures the water generator rewrites each frame.
    addSquarePictures(list, 128,
                      {{"waterfx.jpg", drawWaterSurface}, {"surface.jpg", drawWaterSurface}});
}
