#include "fx/grid_movers.h"

#include <cmath>

namespace {
const double pi = 3.14159265358979323846;
}

void gridVertexStill(GridVertex* vertex, float) { vertex->pos = vertex->base; }

void gridVertexWobble(GridVertex* vertex, float time) {
    const double s = 0.001 * time;
    const Vec3& b = vertex->base;
    vertex->pos.x = float(b.x + 0.03 * std::cos(2 * pi * (s + b.x)) +
                          0.04 * std::sin(20 * pi * (s + b.x)));
    vertex->pos.y = float(b.y + 0.03 * std::sin(2 * pi * (s + b.y)) +
                          0.04 * std::cos(20 * pi * (s + b.y)));
    vertex->pos.z = b.z;
}

void gridVertexDrift(GridVertex* vertex, float time) {
    const double s = 0.01 * time;
    const Vec3& b = vertex->base;
    vertex->pos.x =
        float(b.x + 0.01 * (std::cos(2 * pi * (s + b.x)) + std::sin(5 * pi * (s + b.x))));
    vertex->pos.y =
        float(b.y + 0.01 * (std::cos(5 * pi * (s + b.y)) + std::sin(2 * pi * (s + b.y))));
    vertex->pos.z = b.z;
}

// Rings spreading from two opposite screen corners.
void gridVertexRipple(GridVertex* vertex, float time) {
    const double s = 0.05 * time;
    const Vec3& b = vertex->base;
    const double d1 = std::hypot(b.x - 1.0, b.y - 1.0);
    const double d2 = std::hypot(b.x + 1.0, b.y + 1.0);
    vertex->pos.x = b.x;
    vertex->pos.y = b.y;
    vertex->pos.z = float(b.z - 0.5 * std::sin(4 * d1 + s) - 0.5 * std::cos(3 * d2 + s) - 1);
}
