// light.dat: a glowing core in open space. Light 0 sits at the origin, where
// the spark burst flies and the lens flare hangs; three envmap2 rings circle it
// like electron orbits; tumbling felsen rocks orbit close by and a wide rock
// belt lies farther out; a few black shards drift between them. Every rock is
// lit by its own pair of coloured lights on opposite sides (point lights reach
// 150 units), so it shows coloured rims whichever side the camera sees.
#include <cmath>

#include "scene_mesh.h"
#include "scenes.h"

namespace scenegen {

namespace {
const float kPi = 3.14159265f;
const int lastTime = 1400;  // the light scene is shown up to scene time 1343.5

enum Material { felsen = 0, envmap2 = 1, black = 2 };

const unsigned char palette[][3] = {
    {255, 150, 60}, {70, 180, 255}, {210, 90, 255}, {255, 215, 100}, {90, 255, 170}};

Vec3 cameraEye(float t) {
    float angle = 0.4f + 2 * kPi * t / 1100.0f;
    float radius = 430.0f + 90.0f * std::sin(t * 2 * kPi / 520.0f + 1.0f);
    float z = 170.0f * std::sin(t * 2 * kPi / 760.0f + 0.3f);
    return v3(radius * std::cos(angle), radius * std::sin(angle), z);
}

Vec3 cameraTarget(float t) {
    return v3(35.0f * std::sin(t / 97.0f), 35.0f * std::cos(t / 131.0f), 20.0f * std::sin(t / 173.0f));
}

// A rock tumbling about its own axis while it orbits the core (or stays put).
struct RockPlan {
    Vec3 place;        // at time 0
    float size;
    float orbitSpeed;  // radians per time unit about the z axis
    Vec3 spinAxis;
    float spinSpeed;
};

void addRock(SceneDraft& d, const RockPlan& plan, uint32_t seed, Rng& rng) {
    Mesh m = rock(2, seed, 0.28f);
    Vec3 stretch = v3(rng.range(0.8f, 1.3f), rng.range(0.8f, 1.2f), rng.range(0.6f, 1.0f));
    m.transform([&](Vec3 p) {
        return v3(p.x * stretch.x, p.y * stretch.y, p.z * stretch.z) * plan.size;
    });
    for (MeshFace& f : m.faces)
        for (MeshCorner& c : f.c) {
            c.u *= 2.0f;  // felsen repeats twice around
        }
    d.objects.emplace_back();
    DraftObject& o = d.objects.back();
    o.mesh = m;
    o.material = felsen;
    o.scale = constantPosition(v3(1, 1, 1));
    std::vector<int> times = keyTimes(0, lastTime, 50);
    RockPlan p = plan;
    if (p.orbitSpeed != 0.0f) {
        o.position = positionKeys(
            [p](float t) { return rotateAbout(p.place, v3(0, 0, 1), p.orbitSpeed * t); }, times);
    } else {
        o.position = constantPosition(p.place);
    }
    Rotation start = rotationAxisAngle(rng.onSphere(), rng.range(0, 2 * kPi));
    o.rotation = rotationKeys(
        [p, start](float t) {
            return rotationCompose(rotationAxisAngle(p.spinAxis, p.spinSpeed * t), start);
        },
        times);
    // Two coloured lights on opposite sides, close enough to reach its faces.
    Vec3 dir = rng.onSphere();
    dir.z *= 0.5f;
    dir = normalized(dir);
    int c0 = int(rng.uniform() * 5) % 5, c1 = (c0 + 1 + int(rng.uniform() * 4)) % 5;
    float reach = plan.size * 1.25f + 25.0f;
    d.addLight(palette[c0][0], palette[c0][1], palette[c0][2], plan.place + dir * reach);
    d.addLight(palette[c1][0], palette[c1][1], palette[c1][2], plan.place - dir * reach);
}

// An orbit ring: tilted, spinning about its own axis, the tilt precessing.
void addRing(SceneDraft& d, float radius, float tilt, float phase, float spin) {
    d.objects.emplace_back();
    DraftObject& o = d.objects.back();
    o.mesh = torus(radius, 3.5f, 64, 8, 8.0f, 1.0f);
    o.material = envmap2;
    o.position = constantPosition(v3(0, 0, 0));
    o.scale = constantPosition(v3(1, 1, 1));
    o.rotation = rotationKeys(
        [=](float t) {
            Rotation r = rotationAxisAngle(v3(0, 0, 1), spin * t);
            r = rotationCompose(rotationAxisAngle(v3(1, 0, 0), tilt), r);
            return rotationCompose(rotationAxisAngle(v3(0, 0, 1), phase + 0.0012f * t), r);
        },
        keyTimes(0, lastTime, 25));
}
}  // namespace

int writeLightScene(const std::string& dir) {
    SceneDraft d;
    Rng rng(101);
    setCamera(d, cameraEye, cameraTarget, keyTimes(0, lastTime, 20), 0.55f,
              [](float t) { return 0.15f * std::sin(t / 150.0f); });

    // Light 0: the core, with the burst and the flare.
    d.addLight(255, 236, 200, v3(0, 0, 0));

    addRing(d, 124.0f, 1.2f, 0.0f, 0.010f);
    addRing(d, 136.0f, 1.15f, 2.1f, -0.008f);
    addRing(d, 148.0f, 1.25f, 4.2f, 0.006f);

    // Close rocks orbiting the core, clear of the camera (which keeps 340 away).
    for (int i = 0; i < 7; ++i) {
        float a = 2 * kPi * float(i) / 7.0f + rng.range(-0.2f, 0.2f);
        float r = rng.range(185.0f, 235.0f);
        RockPlan p = {v3(r * std::cos(a), r * std::sin(a), rng.range(-60.0f, 60.0f)),
                      rng.range(22.0f, 36.0f), 2 * kPi / 2400.0f, rng.onSphere(),
                      rng.range(0.002f, 0.006f)};
        addRock(d, p, 200u + uint32_t(i), rng);
    }
    // The outer belt.
    for (int i = 0; i < 34; ++i) {
        float a = 2 * kPi * float(i) / 34.0f + rng.range(-0.08f, 0.08f);
        float r = rng.range(640.0f, 1050.0f);
        float size = rng.range(35.0f, 90.0f);
        RockPlan p = {v3(r * std::cos(a), r * std::sin(a), rng.range(-150.0f, 150.0f)), size,
                      0.0f, rng.onSphere(), rng.range(0.001f, 0.003f)};
        addRock(d, p, 300u + uint32_t(i), rng);
    }
    // Black shards drifting between the inner rocks and the camera's path.
    for (int i = 0; i < 6; ++i) {
        float a = 2 * kPi * float(i) / 6.0f + 0.5f;
        float r = rng.range(255.0f, 285.0f);
        Mesh m = shard();
        float len = rng.range(15.0f, 25.0f);
        m.transform([&](Vec3 p) { return p * len; });
        Vec3 place = v3(r * std::cos(a), r * std::sin(a), rng.range(-90.0f, 90.0f));
        DraftObject& o = d.addStatic(m, black, place);
        Vec3 axis = rng.onSphere();
        float speed = rng.range(0.003f, 0.008f);
        o.position = positionKeys(
            [place](float t) { return rotateAbout(place, v3(0, 0, 1), -t * 2 * kPi / 3000.0f); },
            keyTimes(0, lastTime, 50));
        o.rotation = rotationKeys([axis, speed](float t) { return rotationAxisAngle(axis, speed * t); },
                                  keyTimes(0, lastTime, 50));
    }
    return writeDraft(d, dir, "light.dat");
}

}  // namespace scenegen
