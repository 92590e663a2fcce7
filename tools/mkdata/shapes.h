#pragma once
// Anti-aliased shapes in design space (see canvas.h): filled outlines and a
// few distance functions for round things.
#include <vector>

#include "canvas.h"

struct P2 {
    float x, y;
};
typedef std::vector<P2> Outline;

// A closed smooth curve through the control points (Catmull-Rom), with
// `steps` points per segment.
Outline smoothOutline(const Outline& control, int steps = 12);

// Places an outline drawn in a unit box: each point becomes
// (x0 + x * w, y0 + y * h), optionally mirrored in x.
Outline placeOutline(const Outline& unit, float x0, float y0, float w, float h,
                     bool mirror = false);

// Turns an outline by `angle` radians about (cx, cy); with y pointing down a
// positive angle turns clockwise on screen.
Outline rotateOutline(const Outline& outline, float cx, float cy, float angle);

// Coverage of a set of closed outlines (non-zero winding), exact along x and
// sampled four times per pixel along y.
Mask outlinesMask(int width, int height, float aspect, const std::vector<Outline>& outlines);
inline Mask outlineMask(const Canvas& c, const Outline& outline) {
    return outlinesMask(c.width, c.height, c.aspect, std::vector<Outline>{outline});
}

// Signed distances (negative inside).
float sdCircle(float x, float y, float cx, float cy, float r);
float sdEllipse(float x, float y, float cx, float cy, float rx, float ry);  // approximate
float sdSegment(float x, float y, float ax, float ay, float bx, float by);   // unsigned

// Turns a signed distance into coverage with a soft edge of `soft` units.
inline float coverage(float distance, float soft) {
    return clamp01(0.5f - distance / soft);
}

// Coverage of a ring of radius r and half thickness t around a centre.
float ringCoverage(float x, float y, float cx, float cy, float r, float t, float soft);
