#pragma once
// The winding axis of the tube scenes (the artery, the gut): a random walk of
// control points, smoothed into a curve and resampled at an even step, redrawn
// until it does not run through itself.
#include <vector>

#include "scene_build.h"

namespace scenegen {

struct AxisWalk {
    int points;        // control points of the walk
    float turn;        // largest change of heading per point, either way
    float climb;       // steepest pitch, either way
    float climbTurn;   // largest change of pitch per point, either way
    float stride;      // units from one control point to the next
    int smoothing;     // curve samples per segment between control points
    float step;        // units between the points of the finished axis
    float clearance;   // parts far apart along the axis stay this far apart
};

// A finished axis: points every `step` units from its start.
struct TubeAxis {
    std::vector<Vec3> points;
    float step;
    // The point `s` units along the axis, held at both ends.
    Vec3 at(float s) const;
    // The direction of the axis at `s`, taken over `halfSpan` units each way.
    Vec3 tangent(float s, float halfSpan) const {
        return normalized(at(s + halfSpan) - at(s - halfSpan));
    }
    float length() const { return step * float(points.size() - 1); }
};

TubeAxis walkAxis(Rng& rng, const AxisWalk& walk);

}  // namespace scenegen
