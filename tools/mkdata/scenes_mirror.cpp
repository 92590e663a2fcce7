// mirror.dat: the ball fish gliding low over still water at night. Object 0
// is the fish (the morph target, same vertex order as the morph frames),
// object 1 the water surface in the plane z = 0 (drawn additively with the
// live water picture), object 2 the fish's reflection: the same mesh and
// faces, posed as the mirror image of object 0 across z = 0. Each frame the
// choreography rewrites object 2's vertices as object 0's with z negated, so
// its pose must mirror object 0's: position z negated, rotation reflected.
// The camera keeps low, 30 to 50 units from the fish (the fog closes in at
// about 100).
#include <cmath>

#include "scene_fish.h"
#include "scene_mesh.h"
#include "scenes.h"

namespace scenegen {
namespace {
const float kPi = 3.14159265f;
const int lastTime = 600;  // part 7 shows scene times 0 .. 581
const float omega = 2 * kPi / 581.0f;

enum Material { fish = 0, water = 1, reflection = 2 };

Vec3 fishPath(float t) {
    float a = omega * t;
    return v3(70.0f * std::cos(a) + 15.0f * std::cos(2 * a), 60.0f * std::sin(a) + 10.0f * std::sin(2 * a),
              12.0f + 4.0f * std::sin(2 * kPi * t / 140.0f));
}

float fishYaw(float t) {
    Vec3 v = fishPath(t + 1.0f) - fishPath(t - 1.0f);
    return std::atan2(v.y, v.x);
}

Rotation fishTurn(float t) {
    Vec3 v = fishPath(t + 1.0f) - fishPath(t - 1.0f);
    float pitch = std::atan2(v.z, std::sqrt(v.x * v.x + v.y * v.y));
    float turn = std::remainder(fishYaw(t + 5.0f) - fishYaw(t - 5.0f), 2 * kPi);
    return rotationYawPitchRoll(fishYaw(t), pitch, -turn * 1.5f);
}

Vec3 mirrored(Vec3 p) { return v3(p.x, p.y, -p.z); }
// The reflection across z = 0 of a turn: S R S with S = diag(1, 1, -1).
Rotation mirrored(Rotation r) { return Rotation{r.w, -r.x, -r.y, r.z}; }

Vec3 cameraEye(float t) {
    Vec3 f = fishPath(t);
    float side = fishYaw(t) + kPi * 0.5f + 0.9f * std::sin(t / 90.0f);
    float dist = 40.0f + 10.0f * std::sin(t / 71.0f);
    return v3(f.x + dist * std::cos(side), f.y + dist * std::sin(side), 14.0f + 6.0f * std::sin(t / 53.0f));
}

Vec3 cameraTarget(float t) {
    Vec3 f = fishPath(t + 6.0f);
    return v3(f.x, f.y, f.z * 0.3f);
}
}  // namespace

int writeMirrorScene(const std::string& dir) {
    SceneDraft d;
    std::vector<int> times = keyTimes(0, lastTime, 6);
    setCamera(d, cameraEye, cameraTarget, keyTimes(0, lastTime, 10), screenMatchedFov,
              [](float t) { return 0.06f * std::sin(t / 40.0f); });

    Mesh body = fishFrame(FishFamily::swim, 0);
    DraftObject& f = d.addStatic(body, fish, v3(0, 0, 0));
    f.position = positionKeys(fishPath, times);
    f.rotation = rotationKeys(fishTurn, times);

    d.addStatic(heightField(-400, -400, 400, 400, 16, 16, [](float, float) { return 0.0f; }, 1.0f / 80.0f,
                            false),
                water, v3(0, 0, 0));

    // The reflection: the same mesh with z negated, so its faces would be wound
    // the other way round; the set-up reverses the winding itself.
    Mesh image = body;
    image.transform([](Vec3 p) { return mirrored(p); });
    DraftObject& m = d.addStatic(image, reflection, v3(0, 0, 0));
    m.position = positionKeys([](float t) { return mirrored(fishPath(t)); }, times);
    m.rotation = rotationKeys([](float t) { return mirrored(fishTurn(t)); }, times);
    return writeDraft(d, dir, "mirror.dat");
}

}  // namespace scenegen
