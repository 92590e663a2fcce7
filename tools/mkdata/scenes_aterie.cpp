// aterie.dat: inside a winding artery. Object 0 is the vessel wall
// (aterie-map, wobbled by 50 units while shown), lit softly by a row of warm
// lights along its axis; red blood cells tumble downstream. Lights 7 and 8
// run along the vessel over track times 0..600, the stretch the two blood
// clouds follow: light 7 from the camera's starting point forward, light 8
// from the far end back, so the dense head of each cloud meets the camera at
// the start and near the end of its flight.
#include <cmath>

#include "scene_mesh.h"
#include "scenes.h"
#include "tube_axis.h"

namespace scenegen {
namespace {
const float kPi = 3.14159265f;
const int lastTime = 1400;   // shots use scene times up to 1315
const float vesselRadius = 215.0f;
const float cameraSpeed = 8.5f;  // units per time unit along the vessel
const float cameraStart = 300.0f;
const int cloudTime = 600;       // the clouds use path points 0..600 only

enum Material { vesselWall = 0 };

// The vessel's axis: points every 20 units, its far parts kept three radii
// apart.
const AxisWalk vesselWalk = {19, 0.45f, 0.3f, 0.25f, 850.0f, 24, 20.0f, 3.0f * vesselRadius};

// A direction across the vessel at s, turning slowly with `angle`.
Vec3 across(const TubeAxis& v, float s, float angle) {
    Vec3 t = v.tangent(s, 10.0f);
    Vec3 n = normalized(cross(t, v3(0, 0, 1)));
    Vec3 b = cross(n, t);
    return n * std::cos(angle) + b * std::sin(angle);
}
}  // namespace

int writeAterieScene(const std::string& dir) {
    SceneDraft d;
    Rng rng(303);
    const TubeAxis v = walkAxis(rng, vesselWalk);

    auto eye = [&v](float t) {
        float s = cameraStart + cameraSpeed * t;
        return v.at(s) + across(v, s, t * 0.01f) * (35.0f * std::sin(t / 60.0f));
    };
    auto target = [&v](float t) {
        float s = cameraStart + cameraSpeed * t + 450.0f;
        return v.at(s) + across(v, s, t * 0.013f) * (45.0f * std::sin(t / 80.0f + 1.0f));
    };
    setCamera(d, eye, target, keyTimes(0, lastTime, 10), 0.6f,
              [](float t) { return 0.35f * std::sin(t / 170.0f); });

    // Object 0: the wall, lumpy and slightly uneven in width.
    std::vector<Vec3> rings;
    for (float s = 0; s <= v.length(); s += 60.0f) rings.push_back(v.at(s));
    Mesh wall = sweepTube(
        rings, 20,
        [&](int i, float a) {
            float s = float(i) * 60.0f;
            return vesselRadius + 28.0f * valueNoise3(s / 700.0f, 0, 0, 7) +
                   14.0f * valueNoise3(s / 160.0f, std::cos(a) * 1.5f, std::sin(a) * 1.5f, 9);
        },
        true, 2.0f, 1.0f / 500.0f);
    d.addStatic(wall, vesselWall, v3(0, 0, 0));

    // Blood cells: flattened discs with a dimple, drifting downstream.
    Mesh cell = icosphere(2);
    cell.transform([](Vec3 p) {
        float rho2 = p.x * p.x + p.y * p.y;
        return v3(p.x * 32.0f, p.y * 32.0f, p.z * 32.0f * (0.22f + 0.5f * rho2));
    });
    for (int i = 0; i < 20; ++i) {
        float s0 = 500.0f + float(i) * 430.0f + rng.range(-120.0f, 120.0f);
        float offset = rng.range(95.0f, 140.0f), angle0 = rng.range(0, 2 * kPi);
        float drift = rng.range(2.0f, 3.0f);
        Vec3 spinAxis = rng.onSphere();
        Rotation start = rotationAxisAngle(rng.onSphere(), rng.range(0, 2 * kPi));
        DraftObject& o = d.addStatic(cell, vesselWall, v3(0, 0, 0));
        o.position = positionKeys(
            [=, &v](float t) {
                float s = std::fmin(s0 + drift * t, v.length() - 100.0f);
                return v.at(s) + across(v, s, angle0 + t * 0.004f) * offset;
            },
            keyTimes(0, lastTime, 50));
        o.rotation = rotationKeys(
            [=](float t) { return rotationCompose(rotationAxisAngle(spinAxis, t * 0.01f), start); },
            keyTimes(0, lastTime, 50));
    }

    // Lights: a warm row along the axis; 7 and 8 travel with the clouds.
    const unsigned char warm[][3] = {{150, 62, 52}, {120, 45, 70}, {165, 90, 60}};
    int row = 0;
    for (float s = 350.0f; s < v.length(); s += 700.0f, ++row) {
        if (d.lights.size() == 7) {
            d.lights.emplace_back();  // light 7
            d.lights.back().red = 170, d.lights.back().green = 60, d.lights.back().blue = 50;
            d.lights.back().position = positionKeys(
                [&v](float t) {
                    float s = 600.0f + 19.0f * t;
                    return v.at(s) + across(v, s, t * 0.05f) * 55.0f;
                },
                keyTimes(0, cloudTime, 10));
            d.lights.emplace_back();  // light 8
            d.lights.back().red = 140, d.lights.back().green = 50, d.lights.back().blue = 80;
            d.lights.back().position = positionKeys(
                [&v](float t) {
                    float s = 11300.0f - 18.0f * t;
                    return v.at(s) + across(v, s, 2.0f - t * 0.05f) * 55.0f;
                },
                keyTimes(0, cloudTime, 10));
        }
        const unsigned char* c = warm[row % 3];
        d.addLight(c[0], c[1], c[2], v.at(s) + across(v, s, float(row) * 2.1f) * 80.0f);
    }
    return writeDraft(d, dir, "aterie.dat");
}

}  // namespace scenegen
