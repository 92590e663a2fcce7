#pragma once
// Primitive meshes for the generated scenes. Every mesh is wound so that its
// faces are counter-clockwise from the side meant to be seen (the opaque pass
// culls back faces); "inside" variants face their own axis or centre.
#include <functional>
#include <vector>

#include "scene_build.h"

namespace scenegen {

// Unit icosphere subdivided `level` times; uv from longitude and latitude.
Mesh icosphere(int level);

// Torus in the x-y plane around the origin.
Mesh torus(float major, float minor, int segments, int sides, float uRepeat = 1.0f,
           float vRepeat = 1.0f);

// Rectangle in the x-y plane over [x0, x1] x [y0, y1], nx by ny cells, with
// z = height(x, y); faces up (+z) unless `faceDown`. uv = position x uvScale.
Mesh heightField(float x0, float y0, float x1, float y1, int nx, int ny,
                 const std::function<float(float, float)>& height, float uvScale, bool faceDown);

// A tube swept along a polyline of centre points with a radius per point.
// `inside`: seen from within (faces toward the axis), else from outside.
// `radius` may vary around the tube: radiusAt(pointIndex, angle).
Mesh sweepTube(const std::vector<Vec3>& centre, int sides,
               const std::function<float(int, float)>& radiusAt, bool inside, float uRepeat,
               float vPerUnit);

// Points of a Catmull-Rom curve through the control points, `perSegment`
// samples per segment (the last control point included).
std::vector<Vec3> catmullRom(const std::vector<Vec3>& control, int perSegment);

// The same curve resampled at equal arc-length steps.
std::vector<Vec3> resampleEvenly(const std::vector<Vec3>& points, float step);

// A lumpy rock: an icosphere pushed by fractal noise, radius about 1.
Mesh rock(int level, uint32_t seed, float roughness);

// A flat-sided shard (elongated octahedron) along z, unit size.
Mesh shard();

// Flip every face whose normal points toward `centre` (convex shapes only).
void orientOutward(Mesh& mesh, Vec3 centre);

}  // namespace scenegen
