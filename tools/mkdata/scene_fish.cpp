#include "scene_fish.h"

#include <cmath>
#include <utility>

namespace scenegen {

namespace {
const float kPi = 3.14159265358979f;
const float noseX = 15.0f;
const float tailBaseX = -9.0f;
const float tailTipX = -19.0f;
const float topZ = 12.0f;  // texture frame: z from +topZ (v 0) to -topZ (v 1)
const int rings = 20;
const int sides = 14;

float texU(float x) { return (x - tailTipX) / (noseX - tailTipX); }
float texV(float z) { return 0.5f - z / (2 * topZ); }

// Body half-height at s (0 at the nose, 1 at the tail base): a round head and
// belly tapering into the tail stalk.
float bodyHeight(float s) {
    float bulge = std::sin(kPi * std::pow(s, 0.62f));
    return 0.6f + 7.4f * std::pow(std::fmax(bulge, 0.0f), 0.75f) * (1.0f - 0.35f * s);
}

void addCorner(Mesh& m, MeshFace& f, int slot, int vertex) {
    Vec3 p = m.vertices[vertex];
    f.c[slot] = MeshCorner{vertex, texU(p.x), texV(p.z)};
}

void addTri(Mesh& m, int a, int b, int c) {
    MeshFace f;
    addCorner(m, f, 0, a);
    addCorner(m, f, 1, b);
    addCorner(m, f, 2, c);
    m.faces.push_back(f);
}

// A thin fin: the outline points (in the x-z plane at y = 0 before offset),
// fanned from point 0, with a front and a back sheet `thickness` apart along
// `side` so that both faces survive back-face culling.
void addFin(Mesh& m, const std::vector<Vec3>& outline, Vec3 side, float thickness) {
    for (int sheet = 0; sheet < 2; ++sheet) {
        float off = sheet == 0 ? thickness : -thickness;
        int base = int(m.vertices.size());
        for (Vec3 p : outline) m.addVertex(p + side * off);
        for (size_t i = 1; i + 1 < outline.size(); ++i) {
            int a = base, b = base + int(i), c = base + int(i) + 1;
            Vec3 n = cross(m.vertices[b] - m.vertices[a], m.vertices[c] - m.vertices[a]);
            bool facesOut = dot(n, side * off) > 0;
            if (facesOut) addTri(m, a, b, c);
            else addTri(m, a, c, b);
        }
    }
}

// The rest pose: body, tail, dorsal fin, two side fins.
Mesh restFish() {
    Mesh m;
    int nose = m.addVertex(v3(noseX + 0.8f, 0, 0.3f));
    for (int r = 0; r < rings; ++r) {
        float s = float(r + 1) / float(rings);
        float x = noseX + (tailBaseX - noseX) * s;
        float h = bodyHeight(s);
        for (int j = 0; j < sides; ++j) {
            float a = 2 * kPi * float(j) / float(sides);
            // Flatter sides, a slightly heavier belly.
            float z = h * std::cos(a) * (std::cos(a) < 0 ? 0.95f : 1.0f) + 0.3f;
            m.addVertex(v3(x, 0.78f * h * std::sin(a), z));
        }
    }
    int tail = m.addVertex(v3(tailBaseX - 0.6f, 0, 0.3f));
    auto ring = [](int r, int j) { return 1 + r * sides + (j % sides); };
    for (int j = 0; j < sides; ++j) addTri(m, nose, ring(0, j + 1), ring(0, j));
    for (int r = 0; r + 1 < rings; ++r)
        for (int j = 0; j < sides; ++j) {
            addTri(m, ring(r, j), ring(r, j + 1), ring(r + 1, j + 1));
            addTri(m, ring(r, j), ring(r + 1, j + 1), ring(r + 1, j));
        }
    for (int j = 0; j < sides; ++j) addTri(m, tail, ring(rings - 1, j), ring(rings - 1, j + 1));
    // Outward from the body's own axis (the body is long, not round).
    for (MeshFace& f : m.faces) {
        Vec3 a = m.vertices[f.c[0].vertex], b = m.vertices[f.c[1].vertex],
             c = m.vertices[f.c[2].vertex];
        Vec3 mid = (a + b + c) * (1.0f / 3.0f);
        Vec3 axis = {mid.x, 0, 0.3f};
        if (mid.x > noseX) axis.x = noseX;
        if (mid.x < tailBaseX) axis.x = tailBaseX;
        if (dot(cross(b - a, c - a), mid - axis) < 0) std::swap(f.c[1], f.c[2]);
    }

    // Forked tail in the x-z plane.
    addFin(m,
           {v3(tailBaseX + 0.5f, 0, 0.3f), v3(tailBaseX - 0.5f, 0, 2.0f), v3(tailTipX, 0, 8.5f),
            v3(tailTipX + 3.5f, 0, 0.3f), v3(tailTipX, 0, -7.5f), v3(tailBaseX - 0.5f, 0, -1.4f)},
           v3(0, 1, 0), 0.35f);
    // Dorsal fin on the back.
    addFin(m,
           {v3(1.0f, 0, 6.5f), v3(4.5f, 0, 7.0f), v3(-1.0f, 0, 11.5f), v3(-6.0f, 0, 9.5f),
            v3(-5.0f, 0, 5.0f)},
           v3(0, 1, 0), 0.3f);
    // Side fins, tilted back and down.
    for (int side = -1; side <= 1; side += 2) {
        float y = 5.2f * float(side);
        addFin(m,
               {v3(6.0f, y, -1.0f), v3(6.5f, y * 1.05f, -2.0f), v3(1.5f, y * 1.6f, -4.0f),
                v3(0.5f, y * 1.5f, -2.5f)},
               v3(0, 0, 1), 0.25f);
    }
    return m;
}

const Mesh& restMesh() {
    static const Mesh m = restFish();
    return m;
}
}  // namespace

Mesh fishMesh(const FishPose& pose) {
    Mesh m = restMesh();
    const float len = noseX - tailTipX;
    for (Vec3& p : m.vertices) {
        float s = std::fmin(1.0f, std::fmax(0.0f, (noseX - p.x) / len));  // 0 nose .. 1 tail
        // Puffing: the body swells round, most in the middle.
        float swell = 1.0f + pose.puff * 0.75f * std::sin(kPi * std::fmin(1.0f, s * 1.35f));
        p.y *= swell;
        p.z = 0.3f + (p.z - 0.3f) * swell;
        // Tail beat: a wave running toward the tail, growing along the body.
        float amp = pose.swimAmount * (0.4f + 3.6f * s * s);
        float wave = std::sin(2 * kPi * pose.swimPhase - 2.4f * s * kPi * 0.5f);
        float headSway = -0.5f * pose.swimAmount * std::sin(2 * kPi * pose.swimPhase) * (1 - s);
        p.y += amp * wave + headSway;
        // Bends: the body curves about its middle.
        float c = (s - 0.45f) * 2.0f;
        p.y += pose.sideBend * 9.0f * c * c;
        p.z += pose.upBend * 7.0f * c * c;
        // Keep the length roughly constant while curled.
        p.x += (std::fabs(pose.sideBend) + std::fabs(pose.upBend)) * 2.5f * c * std::fabs(c);
    }
    return m;
}

Mesh fishFrame(FishFamily family, int frame) {
    FishPose pose;
    pose.swimPhase = float(frame) / 10.0f;
    switch (family) {
        case FishFamily::swim: break;
        case FishFamily::curlLeft:
            pose.sideBend = 1.0f;
            pose.swimAmount = 0.5f;
            break;
        case FishFamily::puffRight:
            pose.puff = 1.0f;
            pose.sideBend = -0.35f;
            pose.swimAmount = 0.35f;
            break;
        case FishFamily::archUp:
            pose.upBend = 0.8f;
            pose.swimAmount = 0.6f;
            break;
        case FishFamily::archDown:
            pose.upBend = -0.8f;
            pose.swimAmount = 0.6f;
            break;
    }
    return fishMesh(pose);
}

}  // namespace scenegen
