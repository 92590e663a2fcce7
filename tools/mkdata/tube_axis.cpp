#include "tube_axis.h"

#include <cmath>

#include "scene_mesh.h"

namespace scenegen {
namespace {

std::vector<Vec3> randomAxis(Rng& rng, const AxisWalk& walk) {
    std::vector<Vec3> control;
    Vec3 p = v3(0, 0, 0);
    float yaw = 0, pitch = 0;
    for (int i = 0; i < walk.points; ++i) {
        control.push_back(p);
        yaw += rng.range(-walk.turn, walk.turn);
        // Levels out by itself and leans back toward z = 0.
        float lean = pitch * 0.5f + rng.range(-walk.climbTurn, walk.climbTurn) - p.z * 0.0002f;
        pitch = std::fmax(-walk.climb, std::fmin(walk.climb, lean));
        Vec3 heading = v3(std::cos(yaw) * std::cos(pitch), std::sin(yaw) * std::cos(pitch), std::sin(pitch));
        p = p + heading * walk.stride;
    }
    return resampleEvenly(catmullRom(control, walk.smoothing), walk.step);
}

// True when parts of the axis that are far apart along it come close in
// space: the tube would run through itself.
bool selfCrossing(const std::vector<Vec3>& axis, float step, float clearance) {
    for (size_t i = 0; i < axis.size(); i += 5)
        for (size_t j = i + size_t(4 * clearance / step); j < axis.size(); j += 5)
            if (length(axis[i] - axis[j]) < clearance) return true;
    return false;
}

}  // namespace

Vec3 TubeAxis::at(float s) const {
    float f = std::fmax(0.0f, std::fmin(s / step, float(points.size() - 1) - 0.001f));
    size_t i = size_t(f);
    return lerp(points[i], points[i + 1], f - float(i));
}

TubeAxis walkAxis(Rng& rng, const AxisWalk& walk) {
    for (;;) {
        std::vector<Vec3> axis = randomAxis(rng, walk);
        if (!selfCrossing(axis, walk.step, walk.clearance)) return TubeAxis{axis, walk.step};
    }
}

}  // namespace scenegen
