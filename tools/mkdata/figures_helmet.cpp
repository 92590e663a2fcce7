// The little diving helmet: a brass dome with a barred front window, side
// windows and a bolted breastplate.
#include <cmath>

#include "figures.h"
#include "noise.h"
#include "shapes.h"

namespace {

struct Normal {
    float x, y, z;
};

// Polished metal: diffuse light from the upper left, a watery sky reflected
// from above, a hot highlight.
Rgb metal(Normal n, Rgb base) {
    const float lx = -0.45f, ly = -0.55f, lz = 0.7f;
    float diffuse = std::fmax(0.0f, n.x * lx + n.y * ly + n.z * lz);
    float rx = 2 * n.z * n.x, ry = 2 * n.z * n.y, rz = 2 * n.z * n.z - 1;
    float sky = smoothstep(-0.1f, 0.7f, -ry);
    Rgb env = mix(rgb(0.08f, 0.05f, 0.03f), rgb(0.55f, 0.8f, 0.9f), sky);
    float specular = std::pow(std::fmax(0.0f, rx * lx + ry * ly + rz * lz), 40.0f);
    return base * (0.2f + 0.8f * diffuse) + env * base * 0.6f + rgb(1, 0.95f, 0.8f) * specular;
}

Normal sphereNormal(float x, float y, float cx, float cy, float rx, float ry) {
    float nx = (x - cx) / rx, ny = (y - cy) / ry;
    float r2 = nx * nx + ny * ny;
    if (r2 > 1) {
        float k = 1 / std::sqrt(r2);
        nx *= k;
        ny *= k;
        r2 = 1;
    }
    return Normal{nx, ny, std::sqrt(1 - r2)};
}

Rgb brass(float x, float y) {
    float patina = smoothstep(0.25f, 0.6f, fbm(x * 6, y * 6, 201u, 4));
    Rgb b = mix(rgb(0.85f, 0.58f, 0.22f), rgb(0.78f, 0.42f, 0.2f), 0.5f + 0.5f * fbm(x * 3, y * 3, 202u, 3));
    return mix(b, rgb(0.3f, 0.55f, 0.45f), patina * 0.6f);
}

}  // namespace

Figure helmetFigure(int width, int height, float aspect) {
    Figure f{makeMask(width, height, aspect), makeCanvas(width, height, aspect)};
    float soft = pixelSize(width, height, aspect) * 1.5f;
    float cx = aspect * 0.5f;
    const float domeY = 0.43f, domeR = 0.29f, portY = 0.46f;
    forEachPixel(width, height, aspect, [&](size_t k, float x, float y) {
        Rgb col = rgb(0, 0, 0);
        float total = 0;
        // Each part's colour is only worked out where the part shows.
        auto layer = [&](float cov, auto colourOf) {
            if (cov <= 0) return;
            col = mix(col, colourOf(), cov);
            total = std::fmax(total, cov);
        };
        if (sdCircle(x, y, cx, 0.62f, 0.52f) > 0.02f) {
            f.colour.px[k] = col;
            return;  // nothing of the helmet out here
        }
        const Rgb br = brass(x, y);
        // Breastplate and collar.
        float breast = coverage(sdEllipse(x, y, cx, 0.9f, 0.38f, 0.17f), soft);
        layer(breast, [&] { return metal(sphereNormal(x, y, cx, 0.9f, 0.38f, 0.3f), br * 0.85f); });
        for (int b = 0; b < 9; ++b) {
            float t = 3.14159265f + 0.25f + b * (3.14159265f - 0.5f) / 8;
            float bx = cx + 0.33f * std::cos(t), by = 0.91f + 0.12f * std::sin(t);
            float bolt = coverage(sdCircle(x, y, bx, by, 0.016f), soft);
            layer(bolt, [&] { return metal(sphereNormal(x, y, bx, by, 0.016f, 0.016f), rgb(0.75f, 0.72f, 0.65f)); });
        }
        float collar = coverage(sdEllipse(x, y, cx, 0.71f, 0.24f, 0.07f), soft);
        layer(collar, [&] { return metal(sphereNormal(x, y, cx, 0.71f, 0.24f, 0.07f), br); });
        // Dome.
        float dome = coverage(sdCircle(x, y, cx, domeY, domeR), soft);
        layer(dome, [&] { return metal(sphereNormal(x, y, cx, domeY, domeR, domeR), br); });
        // Side windows, seen at a slant, and the small top window.
        for (int s = -1; s <= 1; s += 2) {
            float sx = cx + s * 0.235f;
            float frame = coverage(sdEllipse(x, y, sx, 0.45f, 0.06f, 0.095f), soft);
            layer(frame, [&] { return metal(sphereNormal(x, y, sx, 0.45f, 0.06f, 0.095f), br * 1.1f); });
            float glass = coverage(sdEllipse(x, y, sx, 0.45f, 0.035f, 0.07f), soft);
            layer(glass, [&] { return rgb(0.02f, 0.1f, 0.12f) + rgb(0.3f, 0.6f, 0.6f) * std::exp(-std::pow((y - 0.41f) / 0.02f, 2.0f)); });
        }
        float top = coverage(sdEllipse(x, y, cx, 0.17f, 0.08f, 0.04f), soft);
        layer(top, [&] { return metal(sphereNormal(x, y, cx, 0.17f, 0.08f, 0.04f), br * 1.1f); });
        float topGlass = coverage(sdEllipse(x, y, cx, 0.17f, 0.05f, 0.022f), soft);
        layer(topGlass, [&] { return rgb(0.1f, 0.25f, 0.28f); });
        // Front window: frame, glass with a reflection, three bars.
        float frame = coverage(sdCircle(x, y, cx, portY, 0.16f), soft);
        layer(frame, [&] { return metal(sphereNormal(x, y, cx, portY, 0.16f, 0.16f), br * 1.15f); });
        float glass = coverage(sdCircle(x, y, cx, portY, 0.125f), soft);
        float gx = (x - cx) / 0.125f, gy = (y - portY) / 0.125f;
        float streak = std::exp(-std::pow((gx + gy + 0.9f) / 0.18f, 2.0f)) * smoothstep(1.0f, 0.5f, gx * gx + gy * gy);
        Rgb glassCol = mix(rgb(0.0f, 0.05f, 0.08f), rgb(0.05f, 0.25f, 0.3f), clamp01(0.5f - 0.5f * gy)) +
                       rgb(0.7f, 0.9f, 1.0f) * (0.6f * streak);
        layer(glass, [&] { return glassCol; });
        for (int b = -1; b <= 1; ++b) {
            float bx = cx + b * 0.055f;
            float bar = coverage(std::fabs(x - bx) - 0.009f, soft) * glass;
            layer(bar, [&] { return metal(Normal{(x - bx) / 0.012f, 0, 0.8f}, br); });
        }
        f.colour.px[k] = col;
        f.shape.a[k] = total;
    });
    return f;
}
