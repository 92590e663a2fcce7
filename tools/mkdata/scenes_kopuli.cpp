// kopuli.dat: the closing picture. A wall of liquid metal (object 0,
// material 1: envmap4, the ripple hook's target; its mapping follows the
// ripples) stands about 900 units before the camera and fills the view, some
// 1,000 units across. In front of it a necklace of chrome beads (envmap5,
// environment-mapped) turns once around the view axis, its ring rocking, and
// a lumpy chrome drop tumbles in the middle. Every track repeats after 200
// time units, so the looping scene time joins seamlessly.
#include <cmath>

#include "scene_mesh.h"
#include "scenes.h"

namespace scenegen {
namespace {
const float kPi = 3.14159265f;
const int loopTime = 200;

enum Material { chrome = 0, liquidWall = 1 };

float loopAngle(float t) { return 2 * kPi * t / float(loopTime); }

// The necklace's turn: about the view axis (y), rocking about x.
Rotation necklaceTurn(float t) {
    Rotation spin = rotationAxisAngle(v3(0, 1, 0), loopAngle(t));
    Rotation rock = rotationAxisAngle(v3(1, 0, 0), 0.35f * std::sin(loopAngle(t)));
    return rotationCompose(rock, spin);
}

const Vec3 necklaceCentre = {0, -300, 0};
const float necklaceRadius = 195.0f;
}  // namespace

int writeKopuliScene(const std::string& dir) {
    SceneDraft d;
    std::vector<int> times = keyTimes(0, loopTime, 10);
    setCamera(
        d,
        [](float t) {
            float a = loopAngle(t);
            return v3(110.0f * std::sin(a), -900.0f + 40.0f * std::cos(2 * a), 60.0f * std::sin(2 * a + 0.5f));
        },
        [](float t) {
            float a = loopAngle(t);
            return v3(30.0f * std::sin(a + 1.0f), 0, 15.0f * std::cos(a));
        },
        times, 0.5f, [](float t) { return 0.08f * std::sin(loopAngle(t)); });

    // Object 0: the wall in the x-z plane, facing the camera (-y).
    Mesh wall = heightField(-640, -500, 640, 500, 80, 62, [](float, float) { return 0.0f; }, 1.0f / 640.0f,
                            false);
    // Stand it up: (x, y, 0) -> (x, 0, y). The swap mirrors the faces, so
    // they now face -y, toward the camera.
    wall.transform([](Vec3 p) { return v3(p.x, 0, p.y); });
    d.addStatic(wall, liquidWall, v3(0, 0, 0));

    // The necklace: a thin chrome ring with seven beads.
    DraftObject& ring = d.addStatic(torus(necklaceRadius, 9.0f, 64, 8), chrome, necklaceCentre);
    Rotation upright = rotationAxisAngle(v3(1, 0, 0), kPi / 2);  // torus plane x-y -> x-z
    ring.rotation = rotationKeys([upright](float t) { return rotationCompose(necklaceTurn(t), upright); }, times);
    Mesh bead = icosphere(2);
    bead.transform([](Vec3 p) { return p * 44.0f; });
    for (int k = 0; k < 7; ++k) {
        float a0 = 2 * kPi * float(k) / 7.0f;
        DraftObject& o = d.addStatic(bead, chrome, v3(0, 0, 0));
        o.position = positionKeys(
            [a0](float t) {
                Vec3 local = v3(necklaceRadius * std::cos(a0), 0, necklaceRadius * std::sin(a0));
                return necklaceCentre + rotateVec(necklaceTurn(t), local);
            },
            times);
    }
    // The drop in the middle, tumbling about a tilted axis once per loop.
    Mesh drop = rock(2, 707, 0.22f);
    drop.transform([](Vec3 p) { return p * 42.0f; });
    DraftObject& o = d.addStatic(drop, chrome, v3(0, -380, 0));
    Vec3 axis = normalized(v3(0.3f, 0.2f, 1.0f));
    o.rotation = rotationKeys([axis](float t) { return rotationAxisAngle(axis, loopAngle(t)); }, times);
    return writeDraft(d, dir, "kopuli.dat");
}

}  // namespace scenegen
