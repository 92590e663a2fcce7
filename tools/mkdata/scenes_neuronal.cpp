// neuronal.dat: a flight through a huge nerve network. Cell bodies with short
// dendrites hang in a ring-shaped cloud around the camera's closed loop and
// are wired to their neighbours by curving axons; everything is drawn
// additively with netz-map (material 0, which part 3 overlays with a
// wireframe and warps by 350 units), inside a distant netz-back sphere.
// Lights 0 and 1 fly ahead of the camera through the web, carrying the lens
// flares and the light bursts. Camera and lights repeat every 250 time units,
// so the looping scene time joins without a jump.
#include <algorithm>
#include <cmath>

#include "scene_mesh.h"
#include "scenes.h"

namespace scenegen {
namespace {
const float kPi = 3.14159265f;
const float loopTime = 250.0f;
const float loopRadius = 5200.0f;

enum Material { netzMap = 0, netzBack = 1 };

float phaseAt(float t) { return 2 * kPi * t / loopTime; }

Vec3 loopPoint(float phase) {
    return v3(loopRadius * std::cos(phase), loopRadius * std::sin(phase), 700.0f * std::sin(2 * phase));
}

Vec3 cameraEye(float t) {
    float p = phaseAt(t);
    Vec3 radial = v3(std::cos(p), std::sin(p), 0);
    return loopPoint(p) + radial * (300.0f * std::sin(3 * p));
}

Vec3 cameraTarget(float t) {
    float p = phaseAt(t);
    return loopPoint(p + 0.45f) + v3(0, 0, -200.0f + 250.0f * std::sin(p + 1.0f));
}

// A light weaving around the loop a little ahead of the camera.
Vec3 lightPath(float t, float lead, float radius, float turn) {
    float p = phaseAt(t);
    Vec3 radial = v3(std::cos(p + lead), std::sin(p + lead), 0);
    float a = 4 * p + turn;
    return loopPoint(p + lead) + radial * (radius * std::cos(a)) + v3(0, 0, radius * 0.7f * std::sin(a));
}

// Distance from a point to the camera's loop (sampled).
float distanceToCameraPath(Vec3 p) {
    float best = 1e30f;
    for (int i = 0; i < 400; ++i) best = std::fmin(best, length(p - cameraEye(loopTime * float(i) / 400.0f)));
    return best;
}

// A tube that tapers from r0 to r1 along a curve through the points.
Mesh taperedTube(const std::vector<Vec3>& control, float r0, float r1, int sides, int samples) {
    std::vector<Vec3> centre = resampleEvenly(catmullRom(control, 16), 1.0f);
    // Keep about `samples` rings.
    std::vector<Vec3> rings;
    for (int i = 0; i <= samples; ++i)
        rings.push_back(centre[size_t(float(centre.size() - 1) * float(i) / float(samples))]);
    int n = int(rings.size());
    return sweepTube(
        rings, sides,
        [=](int i, float) { return r0 + (r1 - r0) * float(i) / float(n - 1); }, false, 1.0f,
        1.0f / 900.0f);
}

// Cell bodies around the loop, away from the camera's path.
void placeCells(Rng& rng, std::vector<Vec3>* cellsOut, std::vector<float>* radiusOut) {
    std::vector<Vec3>& cells = *cellsOut;
    std::vector<float>& cellRadius = *radiusOut;
    for (int tries = 0; cells.size() < 46 && tries < 5000; ++tries) {
        float p = rng.range(0, 2 * kPi);
        Vec3 radial = v3(std::cos(p), std::sin(p), 0);
        float far = cells.size() < 34 ? rng.range(900.0f, 3200.0f) : rng.range(3800.0f, 7000.0f);
        float a = rng.range(0, 2 * kPi);
        Vec3 c = loopPoint(p) + radial * (far * std::cos(a)) + v3(0, 0, far * 0.6f * std::sin(a));
        if (distanceToCameraPath(c) < 900.0f) continue;
        bool crowded = false;
        for (Vec3 o : cells) crowded |= length(o - c) < 1400.0f;
        if (crowded) continue;
        cells.push_back(c);
        cellRadius.push_back(cells.size() <= 34 ? rng.range(180.0f, 380.0f) : rng.range(350.0f, 600.0f));
    }
}

// The bodies, each with two dendrites: short curling spikes.
void addCellBodies(Rng& rng, const std::vector<Vec3>& cells, const std::vector<float>& cellRadius,
                   Mesh* network) {
    for (size_t i = 0; i < cells.size(); ++i) {
        Mesh body = icosphere(1);
        float r = cellRadius[i];
        Vec3 squash = v3(rng.range(0.8f, 1.2f), rng.range(0.8f, 1.2f), rng.range(0.7f, 1.1f));
        body.transform([&](Vec3 p) { return cells[i] + v3(p.x * squash.x, p.y * squash.y, p.z * squash.z) * r; });
        network->append(body);
        // Dendrites: short curling spikes.
        for (int k = 0; k < 2; ++k) {
            Vec3 dir = rng.onSphere();
            Vec3 bend = rng.onSphere();
            float len = rng.range(500.0f, 900.0f);
            std::vector<Vec3> ctl = {cells[i], cells[i] + dir * (r * 0.9f),
                                     cells[i] + dir * (r + len * 0.5f) + bend * (len * 0.15f),
                                     cells[i] + dir * (r + len) + bend * (len * 0.3f)};
            network->append(taperedTube(ctl, r * 0.25f, 6.0f, 5, 4));
        }
    }
}

// Axons: each cell wired to its nearest neighbours, avoiding the camera.
void addAxons(Rng& rng, const std::vector<Vec3>& cells, Mesh* network) {
    std::vector<std::pair<size_t, size_t>> edges;
    for (size_t i = 0; i < cells.size(); ++i) {
        std::vector<std::pair<float, size_t>> near;
        for (size_t j = 0; j < cells.size(); ++j)
            if (j != i) near.push_back({length(cells[i] - cells[j]), j});
        std::sort(near.begin(), near.end());
        for (size_t k = 0; k < 2 && k < near.size(); ++k) {
            size_t j = near[k].second;
            std::pair<size_t, size_t> e = {std::min(i, j), std::max(i, j)};
            if (std::find(edges.begin(), edges.end(), e) == edges.end()) edges.push_back(e);
        }
    }
    for (auto [i, j] : edges) {
        Vec3 a = cells[i], b = cells[j];
        Vec3 mid = lerp(a, b, 0.5f) + rng.onSphere() * (length(b - a) * 0.18f);
        if (distanceToCameraPath(mid) < 600.0f) continue;
        std::vector<Vec3> ctl = {a, lerp(a, mid, 0.5f), mid, lerp(mid, b, 0.5f), b};
        bool clear = true;
        for (Vec3 p : catmullRom(ctl, 6)) clear &= distanceToCameraPath(p) > 500.0f;
        if (!clear) continue;
        float r = rng.range(60.0f, 110.0f);
        network->append(taperedTube(ctl, r, r * 0.6f, 6, 10));
    }
}

// The far background: a sphere seen from inside.
Mesh farBackground() {
    Mesh back = icosphere(2);
    back.transform([](Vec3 p) { return p * 15000.0f; });
    for (MeshFace& f : back.faces)
        for (MeshCorner& c : f.c) c.u *= 3.0f, c.v *= 2.0f;
    back.flipWinding();
    return back;
}
}  // namespace

int writeNeuronalScene(const std::string& dir) {
    SceneDraft d;
    Rng rng(202);
    setCamera(d, cameraEye, cameraTarget, keyTimes(0, int(loopTime), 5), screenMatchedFov,
              [](float t) { return 0.25f * std::sin(2 * phaseAt(t)); });

    d.lights.emplace_back();
    d.lights.back().red = 255, d.lights.back().green = 200, d.lights.back().blue = 150;
    d.lights.back().position =
        positionKeys([](float t) { return lightPath(t, 0.32f, 520.0f, 0.0f); }, keyTimes(0, 250, 5));
    d.lights.emplace_back();
    d.lights.back().red = 150, d.lights.back().green = 200, d.lights.back().blue = 255;
    d.lights.back().position =
        positionKeys([](float t) { return lightPath(t, 0.39f, 450.0f, kPi); }, keyTimes(0, 250, 5));

    std::vector<Vec3> cells;
    std::vector<float> cellRadius;
    placeCells(rng, &cells, &cellRadius);
    Mesh network;
    addCellBodies(rng, cells, cellRadius, &network);
    addAxons(rng, cells, &network);
    d.addStatic(network, netzMap, v3(0, 0, 0));
    d.addStatic(farBackground(), netzBack, v3(0, 0, 0));
    return writeDraft(d, dir, "neuronal.dat");
}

}  // namespace scenegen
