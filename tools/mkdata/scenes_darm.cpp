// darm.dat: a long gut tunnel, drawn as a glowing environment-mapped skin
// (object 0, material 0: additive envmap, the repel hook's target). Its walls
// bulge in folds that narrow to about 100 units, so the glowing heads that
// race through it push the narrow folds apart. Translucent rings (envmap2)
// mark every few folds. Light 0 runs along the axis over track times 0..2510:
// the path the swarms and heads follow. The camera flies the same axis,
// slowly for part 2 (scene times 0..490) and faster for part 4 (700..2534).
#include <cmath>

#include "scene_mesh.h"
#include "scenes.h"
#include "tube_axis.h"

namespace scenegen {
namespace {
const float kPi = 3.14159265f;
const int lastTime = 2560;
const float ringSpacing = 50.0f;
const float foldLength = 330.0f;

enum Material { skin = 0, rings = 1 };

// The gut's axis: points every 15 units, its far parts kept 900 apart.
const AxisWalk gutWalk = {31, 0.65f, 0.35f, 0.3f, 650.0f, 32, 15.0f, 900.0f};

// Radius of the tunnel: folds every foldLength, a slow swell, small lumps.
float tunnelRadius(float s, float angle) {
    float fold = 0.5f - 0.5f * std::cos(2 * kPi * s / foldLength);  // 0 at the narrows
    return 100.0f + 115.0f * std::sqrt(fold) + 25.0f * valueNoise3(s / 900.0f, 0, 0, 41) +
           10.0f * valueNoise3(s / 120.0f, std::cos(angle), std::sin(angle), 43);
}

const float cameraStart = 250.0f, cameraSpeed = 6.5f;
const float lightStart = 260.0f, lightSpeed = 6.6f;
const int lightLastTime = 2510;  // the swarms use path points up to 2500
}  // namespace

int writeDarmScene(const std::string& dir) {
    SceneDraft d;
    Rng rng(505);
    const TubeAxis g = walkAxis(rng, gutWalk);

    auto eye = [&g](float t) { return g.at(cameraStart + cameraSpeed * t); };
    auto target = [&g](float t) {
        float s = cameraStart + cameraSpeed * t + 380.0f;
        float a = t * 0.02f;
        return g.at(s) + v3(std::cos(a), std::sin(a), 0) * 25.0f;
    };
    setCamera(d, eye, target, keyTimes(0, lastTime, 16), screenMatchedFov,
              [](float t) { return 0.6f * std::sin(t / 260.0f) + 0.2f * std::sin(t / 67.0f); });

    // Object 0: the tunnel.
    std::vector<Vec3> centre;
    for (float s = 0; s <= g.length(); s += ringSpacing) centre.push_back(g.at(s));
    Mesh tunnel = sweepTube(
        centre, 16, [](int i, float a) { return tunnelRadius(float(i) * ringSpacing, a); }, true, 2.0f,
        1.0f / 700.0f);
    d.addStatic(tunnel, skin, v3(0, 0, 0));

    // Rings hugging every fourth narrow.
    for (float s = foldLength * 2; s < g.length() - foldLength; s += foldLength * 4) {
        float r = tunnelRadius(s, 0) - 8.0f;
        Vec3 t = g.tangent(s, 20.0f);
        Vec3 axis = cross(v3(0, 0, 1), t);
        float angle = std::acos(std::fmax(-1.0f, std::fmin(1.0f, t.z)));
        Rotation turn = length(axis) > 1e-4f ? rotationAxisAngle(axis, angle) : Rotation{1, 0, 0, 0};
        d.addStatic(torus(r, 7.0f, 24, 6, 6.0f, 1.0f), rings, g.at(s), turn);
    }

    // Light 0: the swarms' path, along the axis.
    d.lights.emplace_back();
    d.lights.back().position = positionKeys(
        [&g](float t) {
            float a = t * 0.05f;
            return g.at(lightStart + lightSpeed * t) + v3(std::cos(a), std::sin(a), 0) * 20.0f;
        },
        keyTimes(0, lightLastTime, 10));
    return writeDraft(d, dir, "darm.dat");
}

}  // namespace scenegen
