#include "shapes.h"

#include <algorithm>
#include <cmath>

Outline smoothOutline(const Outline& control, int steps) {
    Outline out;
    size_t n = control.size();
    if (n < 3) return control;
    out.reserve(n * size_t(steps));
    for (size_t i = 0; i < n; ++i) {
        const P2& p0 = control[(i + n - 1) % n];
        const P2& p1 = control[i];
        const P2& p2 = control[(i + 1) % n];
        const P2& p3 = control[(i + 2) % n];
        for (int s = 0; s < steps; ++s) {
            float t = float(s) / float(steps);
            float t2 = t * t, t3 = t2 * t;
            float a = -0.5f * t3 + t2 - 0.5f * t;
            float b = 1.5f * t3 - 2.5f * t2 + 1;
            float c = -1.5f * t3 + 2 * t2 + 0.5f * t;
            float d = 0.5f * t3 - 0.5f * t2;
            out.push_back(P2{a * p0.x + b * p1.x + c * p2.x + d * p3.x,
                             a * p0.y + b * p1.y + c * p2.y + d * p3.y});
        }
    }
    return out;
}

Outline placeOutline(const Outline& unit, float x0, float y0, float w, float h, bool mirror) {
    Outline out;
    out.reserve(unit.size());
    for (const P2& p : unit) out.push_back(P2{x0 + (mirror ? 1 - p.x : p.x) * w, y0 + p.y * h});
    return out;
}

Outline rotateOutline(const Outline& outline, float cx, float cy, float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    Outline out;
    out.reserve(outline.size());
    for (const P2& p : outline) {
        float dx = p.x - cx, dy = p.y - cy;
        out.push_back(P2{cx + dx * c - dy * s, cy + dx * s + dy * c});
    }
    return out;
}

namespace {
struct Crossing {
    float x;
    int dir;
};
}  // namespace

Mask outlinesMask(int width, int height, float aspect, const std::vector<Outline>& outlines) {
    Mask m = makeMask(width, height, aspect);
    const int sub = 4;
    float sx = width / aspect;
    float sy = float(height);
    std::vector<Crossing> xs;
    std::vector<float> row(size_t(width) + 1);
    for (int j = 0; j < height; ++j) {
        std::fill(row.begin(), row.end(), 0.0f);
        for (int s = 0; s < sub; ++s) {
            float y = (j + (s + 0.5f) / sub);  // pixel units
            xs.clear();
            for (const Outline& o : outlines) {
                size_t n = o.size();
                for (size_t i = 0; i < n; ++i) {
                    float ax = o[i].x * sx, ay = o[i].y * sy;
                    float bx = o[(i + 1) % n].x * sx, by = o[(i + 1) % n].y * sy;
                    if (ay == by) continue;
                    int dir = ay < by ? 1 : -1;
                    float lo = std::min(ay, by), hi = std::max(ay, by);
                    if (y < lo || y >= hi) continue;
                    float t = (y - ay) / (by - ay);
                    xs.push_back(Crossing{ax + (bx - ax) * t, dir});
                }
            }
            std::sort(xs.begin(), xs.end(),
                      [](const Crossing& a, const Crossing& b) { return a.x < b.x; });
            int winding = 0;
            for (size_t k = 0; k + 1 < xs.size(); ++k) {
                winding += xs[k].dir;
                if (winding == 0) continue;
                float xa = std::max(0.0f, xs[k].x);
                float xb = std::min(float(width), xs[k + 1].x);
                if (xb <= xa) continue;
                int ia = int(xa), ib = int(xb);
                if (ia == ib) {
                    row[size_t(ia)] += xb - xa;
                } else {
                    row[size_t(ia)] += ia + 1 - xa;
                    for (int i = ia + 1; i < ib; ++i) row[size_t(i)] += 1;
                    if (ib < width) row[size_t(ib)] += xb - ib;
                }
            }
        }
        for (int i = 0; i < width; ++i) m.a[size_t(j) * width + i] = std::min(1.0f, row[size_t(i)] / sub);
    }
    return m;
}

float sdCircle(float x, float y, float cx, float cy, float r) {
    return std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy)) - r;
}

float sdEllipse(float x, float y, float cx, float cy, float rx, float ry) {
    float dx = (x - cx) / rx, dy = (y - cy) / ry;
    float k = std::sqrt(dx * dx + dy * dy);
    // First-order distance: the normalised radius error scaled by the local
    // radius; exact for circles, close enough for soft edges otherwise.
    float g = std::sqrt(dx * dx / (rx * rx) + dy * dy / (ry * ry));
    if (g < 1e-6f) return -std::min(rx, ry);
    return (k - 1) * k / g;
}

float sdSegment(float x, float y, float ax, float ay, float bx, float by) {
    float px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
    float len2 = dx * dx + dy * dy;
    float t = len2 > 0 ? clamp01((px * dx + py * dy) / len2) : 0;
    float ex = px - dx * t, ey = py - dy * t;
    return std::sqrt(ex * ex + ey * ey);
}

float ringCoverage(float x, float y, float cx, float cy, float r, float t, float soft) {
    float d = std::fabs(sdCircle(x, y, cx, cy, r)) - t;
    return coverage(d, soft);
}
