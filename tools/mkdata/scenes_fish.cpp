// fisch2.dat and morph1.dat .. morph5.dat: the underwater scene.
// fisch2: object 0 the sandy sea floor (meergrund with water caustics on top),
// object 1 the ball fish that the morph animates (swimming, curling, puffing
// up), object 2 the water surface overhead (waterfx, the live water picture),
// then boulders, glowing sea grass and a small school of fish circling above.
// The camera stays close to the fish (fog thickens within 200 units) and
// swings around it. The morph files hold ten frames each of the same fish.
#include <cmath>

#include "scene_fish.h"
#include "scene_mesh.h"
#include "scenes.h"

namespace scenegen {
namespace {
const float kPi = 3.14159265f;
const int lastTime = 1200;  // shots use scene times 50 .. 875
const float omega = 2 * kPi / 900.0f;

enum Material { seaFloor = 0, ballFish = 1, grass = 2, waterSurface = 3 };

float floorHeight(float x, float y) {
    return -58.0f + 16.0f * fractalNoise3(v3(x / 260.0f, y / 260.0f, 0.5f), 4, 61) +
           5.0f * std::sin(x / 45.0f + y / 90.0f);
}

Vec3 fishPath(float t) {
    float a = omega * t;
    return v3(160.0f * std::cos(a) + 60.0f * std::sin(2.3f * a),
              120.0f * std::sin(a) + 50.0f * std::cos(1.7f * a), 10.0f + 14.0f * std::sin(2.7f * a));
}

// Nose along the direction of travel, banking into turns.
Rotation headingAlong(const VecFn& path, float t, float bankGain) {
    Vec3 v = path(t + 1.0f) - path(t - 1.0f);
    Vec3 v2 = path(t + 6.0f) - path(t - 4.0f);
    float yaw = std::atan2(v.y, v.x);
    float yaw2 = std::atan2(v2.y, v2.x);
    float turn = std::remainder(yaw2 - yaw, 2 * kPi);
    float pitch = std::atan2(v.z, std::sqrt(v.x * v.x + v.y * v.y));
    return rotationYawPitchRoll(yaw, pitch, -turn * bankGain);
}

Vec3 cameraEye(float t) {
    Vec3 f = fishPath(t);
    float dist = 36.0f + 10.0f * std::sin(t / 97.0f);
    float around = t * 2 * kPi / 640.0f + 1.0f;
    return v3(f.x + dist * std::cos(around), f.y + dist * std::sin(around),
              f.z + 6.0f + 10.0f * std::sin(t / 120.0f));
}

Vec3 cameraTarget(float t) { return fishPath(t + 8.0f) + v3(0, 0, 2.0f); }

Mesh seaGrassBlade(Rng& rng) {
    Mesh m;
    float h = rng.range(25.0f, 45.0f), w = rng.range(2.0f, 3.5f);
    Vec3 lean = v3(rng.range(-0.4f, 0.4f), rng.range(-0.4f, 0.4f), 0);
    Vec3 side = normalized(v3(rng.range(-1, 1), rng.range(-1, 1), 0) + v3(0.01f, 0, 0));
    const int segments = 4;
    for (int i = 0; i <= segments; ++i) {
        float k = float(i) / float(segments);
        Vec3 c = v3(0, 0, h * k) + lean * (h * k * k) +
                 v3(std::sin(k * 5.0f) * 2.0f, std::cos(k * 4.0f) * 1.5f, 0);
        float half = w * (1.0f - 0.8f * k);
        m.addVertex(c - side * half);
        m.addVertex(c + side * half);
    }
    for (int i = 0; i < segments; ++i) {
        float v0 = 1.0f - float(i) / float(segments), v1 = 1.0f - float(i + 1) / float(segments);
        const float uv[8] = {0, v0, 1, v0, 1, v1, 0, v1};
        m.addQuad(2 * i, 2 * i + 1, 2 * i + 3, 2 * i + 2, uv);
    }
    return m;
}

int writeMorphSet(const std::string& dir, const char* name, FishFamily family) {
    SceneDraft d;
    setCamera(d, [](float) { return v3(0, -90, 10); }, [](float) { return v3(0, 0, 0); },
              {0}, 0.5f);
    for (int k = 0; k < 10; ++k) d.addStatic(fishFrame(family, k), ballFish, v3(0, 0, 0));
    return writeDraft(d, dir, name);
}
}  // namespace

int writeFishScenes(const std::string& dir) {
    SceneDraft d;
    Rng rng(404);
    setCamera(d, cameraEye, cameraTarget, keyTimes(0, lastTime, 10), screenMatchedFov,
              [](float t) { return 0.12f * std::sin(t / 110.0f); });

    // 0: the sea floor.
    d.addStatic(heightField(-700, -700, 700, 700, 56, 56, floorHeight, 1.0f / 160.0f, false),
                seaFloor, v3(0, 0, 0));
    // 1: the fish the morph drives.
    DraftObject& fish = d.addStatic(fishFrame(FishFamily::swim, 0), ballFish, v3(0, 0, 0));
    std::vector<int> times = keyTimes(0, lastTime, 10);
    fish.position = positionKeys(fishPath, times);
    fish.rotation = rotationKeys([](float t) { return headingAlong(fishPath, t, 1.2f); }, times);
    // 2: the water surface seen from below.
    d.addStatic(heightField(-700, -700, 700, 700, 20, 20, [](float, float) { return 85.0f; },
                            1.0f / 120.0f, true),
                waterSurface, v3(0, 0, 0));
    // Boulders half sunk into the sand.
    for (int i = 0; i < 10; ++i) {
        float a = rng.range(0, 2 * kPi), r = rng.range(90.0f, 420.0f);
        float x = r * std::cos(a), y = r * std::sin(a), size = rng.range(14.0f, 36.0f);
        Mesh m = rock(1, 410u + uint32_t(i), 0.3f);
        m.transform([&](Vec3 p) { return v3(p.x, p.y, p.z * 0.7f) * size; });
        d.addStatic(m, seaFloor, v3(x, y, floorHeight(x, y) + size * 0.2f),
                    rotationAxisAngle(v3(0, 0, 1), rng.range(0, 2 * kPi)));
    }
    // Sea grass in clumps along the fish's way (drawn without fog, so it is
    // kept where the camera comes close).
    Mesh meadow;
    for (int clump = 0; clump < 16; ++clump) {
        Vec3 c = fishPath(rng.range(0, 900.0f)) + v3(rng.range(-45, 45), rng.range(-45, 45), 0);
        for (int b = 0; b < 5; ++b) {
            Mesh blade = seaGrassBlade(rng);
            Vec3 at = c + v3(rng.range(-12, 12), rng.range(-12, 12), 0);
            at.z = floorHeight(at.x, at.y) - 1.0f;
            blade.transform([&](Vec3 p) { return p + at; });
            meadow.append(blade);
        }
    }
    d.addStatic(meadow, grass, v3(0, 0, 0));
    // A school circling higher up.
    Mesh small = fishFrame(FishFamily::swim, 3);
    small.transform([](Vec3 p) { return p * 0.55f; });
    for (int i = 0; i < 8; ++i) {
        Vec3 offset = v3(rng.range(-30, 30), rng.range(-30, 30), rng.range(-6, 6));
        float phase = rng.range(0, 2 * kPi);
        VecFn path = [offset, phase](float t) {
            float a = -t * 2 * kPi / 1100.0f;
            return v3(-140.0f * std::cos(a) + 30.0f * std::sin(3 * a), 190.0f * std::sin(a), 64.0f) + offset +
                   v3(0, 0, 4.0f * std::sin(t / 30.0f + phase));
        };
        DraftObject& o = d.addStatic(small, ballFish, v3(0, 0, 0));
        o.position = positionKeys(path, keyTimes(0, lastTime, 20));
        o.rotation = rotationKeys([path](float t) { return headingAlong(path, t, 0.8f); },
                                  keyTimes(0, lastTime, 20));
    }
    if (!writeDraft(d, dir, "fisch2.dat")) return 0;

    return writeMorphSet(dir, "morph1.dat", FishFamily::swim) &&
           writeMorphSet(dir, "morph2.dat", FishFamily::curlLeft) &&
           writeMorphSet(dir, "morph3.dat", FishFamily::puffRight) &&
           writeMorphSet(dir, "morph4.dat", FishFamily::archUp) &&
           writeMorphSet(dir, "morph5.dat", FishFamily::archDown);
}

}  // namespace scenegen
