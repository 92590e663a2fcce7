#include "scene_mesh.h"

#include <array>
#include <cmath>
#include <map>

namespace scenegen {

namespace {
const float kPi = 3.14159265358979f;

// Longitude/latitude coordinates of a unit direction.
void sphereUv(Vec3 p, float* u, float* v) {
    *u = std::atan2(p.y, p.x) / (2 * kPi) + 0.5f;
    *v = std::acos(std::fmax(-1.0f, std::fmin(1.0f, p.z))) / kPi;
}
}  // namespace

void orientOutward(Mesh& mesh, Vec3 centre) {
    for (MeshFace& f : mesh.faces) {
        Vec3 a = mesh.vertices[f.c[0].vertex], b = mesh.vertices[f.c[1].vertex],
             c = mesh.vertices[f.c[2].vertex];
        Vec3 n = cross(b - a, c - a);
        Vec3 mid = (a + b + c) * (1.0f / 3.0f);
        if (dot(n, mid - centre) < 0) std::swap(f.c[1], f.c[2]);
    }
}

Mesh icosphere(int level) {
    const float t = (1.0f + std::sqrt(5.0f)) / 2.0f;
    std::vector<Vec3> verts = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0},
                               {0, -1, t}, {0, 1, t}, {0, -1, -t}, {0, 1, -t},
                               {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    for (Vec3& v : verts) v = normalized(v);
    std::vector<std::array<int, 3>> tris = {
        {0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
        {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
        {3, 8, 9},  {4, 9, 5},  {2, 4, 11},  {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};
    for (int l = 0; l < level; ++l) {
        std::map<std::pair<int, int>, int> middle;
        auto mid = [&](int a, int b) {
            std::pair<int, int> key = a < b ? std::make_pair(a, b) : std::make_pair(b, a);
            auto it = middle.find(key);
            if (it != middle.end()) return it->second;
            verts.push_back(normalized(verts[a] + verts[b]));
            int i = int(verts.size()) - 1;
            middle[key] = i;
            return i;
        };
        std::vector<std::array<int, 3>> next;
        for (auto& f : tris) {
            int a = mid(f[0], f[1]), b = mid(f[1], f[2]), c = mid(f[2], f[0]);
            next.push_back({f[0], a, c});
            next.push_back({f[1], b, a});
            next.push_back({f[2], c, b});
            next.push_back({a, b, c});
        }
        tris.swap(next);
    }
    Mesh m;
    m.vertices = verts;
    for (auto& f : tris) {
        float u[3], v[3];
        for (int i = 0; i < 3; ++i) sphereUv(verts[f[i]], &u[i], &v[i]);
        // Faces across the longitude seam take their coordinates from one side.
        for (int i = 0; i < 3; ++i) {
            if (u[i] - u[0] > 0.5f) u[i] -= 1.0f;
            if (u[0] - u[i] > 0.5f) u[i] += 1.0f;
        }
        m.addFace(f[0], u[0], v[0], f[1], u[1], v[1], f[2], u[2], v[2]);
    }
    orientOutward(m, v3(0, 0, 0));
    return m;
}

Mesh torus(float major, float minor, int segments, int sides, float uRepeat, float vRepeat) {
    Mesh m;
    for (int i = 0; i < segments; ++i) {
        float a = 2 * kPi * float(i) / float(segments);
        Vec3 radial = {std::cos(a), std::sin(a), 0};
        for (int j = 0; j < sides; ++j) {
            float b = 2 * kPi * float(j) / float(sides);
            m.addVertex(radial * (major + minor * std::cos(b)) + v3(0, 0, minor * std::sin(b)));
        }
    }
    for (int i = 0; i < segments; ++i) {
        for (int j = 0; j < sides; ++j) {
            int i1 = (i + 1) % segments, j1 = (j + 1) % sides;
            float u0 = uRepeat * float(i) / float(segments), u1 = uRepeat * float(i + 1) / float(segments);
            float v0 = vRepeat * float(j) / float(sides), v1 = vRepeat * float(j + 1) / float(sides);
            const float uv[8] = {u0, v0, u1, v0, u1, v1, u0, v1};
            m.addQuad(i * sides + j, i1 * sides + j, i1 * sides + j1, i * sides + j1, uv);
        }
    }
    // Outward: away from the ring's core circle.
    for (MeshFace& f : m.faces) {
        Vec3 a = m.vertices[f.c[0].vertex], b = m.vertices[f.c[1].vertex],
             c = m.vertices[f.c[2].vertex];
        Vec3 mid = (a + b + c) * (1.0f / 3.0f);
        Vec3 core = normalized(v3(mid.x, mid.y, 0)) * major;
        if (dot(cross(b - a, c - a), mid - core) < 0) std::swap(f.c[1], f.c[2]);
    }
    return m;
}

Mesh heightField(float x0, float y0, float x1, float y1, int nx, int ny,
                 const std::function<float(float, float)>& height, float uvScale, bool faceDown) {
    Mesh m;
    for (int j = 0; j <= ny; ++j) {
        for (int i = 0; i <= nx; ++i) {
            float x = x0 + (x1 - x0) * float(i) / float(nx);
            float y = y0 + (y1 - y0) * float(j) / float(ny);
            m.addVertex(v3(x, y, height(x, y)));
        }
    }
    for (int j = 0; j < ny; ++j) {
        for (int i = 0; i < nx; ++i) {
            int a = j * (nx + 1) + i, b = a + 1, c = a + nx + 2, d = a + nx + 1;
            Vec3 pa = m.vertices[a], pc = m.vertices[c];
            const float uv[8] = {pa.x * uvScale, pa.y * uvScale, pc.x * uvScale, pa.y * uvScale,
                                 pc.x * uvScale, pc.y * uvScale, pa.x * uvScale, pc.y * uvScale};
            m.addQuad(a, b, c, d, uv);  // counter-clockwise from +z
        }
    }
    if (faceDown) m.flipWinding();
    return m;
}

std::vector<Vec3> catmullRom(const std::vector<Vec3>& p, int perSegment) {
    std::vector<Vec3> out;
    size_t n = p.size();
    for (size_t i = 0; i + 1 < n; ++i) {
        Vec3 p0 = p[i > 0 ? i - 1 : i], p1 = p[i], p2 = p[i + 1], p3 = p[i + 2 < n ? i + 2 : i + 1];
        for (int s = 0; s < perSegment; ++s) {
            float t = float(s) / float(perSegment), t2 = t * t, t3 = t2 * t;
            out.push_back((p1 * 2.0f + (p2 - p0) * t + (p0 * 2.0f - p1 * 5.0f + p2 * 4.0f - p3) * t2 +
                           (p1 * 3.0f - p0 - p2 * 3.0f + p3) * t3) *
                          0.5f);
        }
    }
    out.push_back(p.back());
    return out;
}

std::vector<Vec3> resampleEvenly(const std::vector<Vec3>& points, float step) {
    std::vector<Vec3> out = {points.front()};
    float carried = 0;
    for (size_t i = 0; i + 1 < points.size(); ++i) {
        Vec3 a = points[i], b = points[i + 1];
        float len = length(b - a);
        float pos = step - carried;
        while (pos <= len) {
            out.push_back(lerp(a, b, pos / len));
            pos += step;
        }
        carried = len - (pos - step);
    }
    return out;
}

Mesh sweepTube(const std::vector<Vec3>& centre, int sides,
               const std::function<float(int, float)>& radiusAt, bool inside, float uRepeat,
               float vPerUnit) {
    Mesh m;
    size_t n = centre.size();
    // Parallel-transported frame, so the tube does not twist.
    Vec3 tangent = normalized(centre[1] - centre[0]);
    Vec3 normal = normalized(cross(tangent, std::fabs(tangent.z) < 0.9f ? v3(0, 0, 1) : v3(1, 0, 0)));
    std::vector<float> along(n, 0.0f);
    for (size_t i = 0; i < n; ++i) {
        Vec3 t = normalized(centre[i + 1 < n ? i + 1 : i] - centre[i > 0 ? i - 1 : 0]);
        normal = normalized(normal - t * dot(normal, t));
        Vec3 binormal = cross(t, normal);
        if (i > 0) along[i] = along[i - 1] + length(centre[i] - centre[i - 1]);
        for (int j = 0; j < sides; ++j) {
            float a = 2 * kPi * float(j) / float(sides);
            Vec3 dir = normal * std::cos(a) + binormal * std::sin(a);
            m.addVertex(centre[i] + dir * radiusAt(int(i), a));
        }
    }
    for (size_t i = 0; i + 1 < n; ++i) {
        for (int j = 0; j < sides; ++j) {
            int j1 = (j + 1) % sides;
            int a = int(i) * sides + j, b = int(i) * sides + j1, c = int(i + 1) * sides + j1,
                d = int(i + 1) * sides + j;
            float u0 = uRepeat * float(j) / float(sides), u1 = uRepeat * float(j + 1) / float(sides);
            float v0 = along[i] * vPerUnit, v1 = along[i + 1] * vPerUnit;
            const float uv[8] = {u0, v0, u1, v0, u1, v1, u0, v1};
            m.addQuad(a, b, c, d, uv);
        }
    }
    // Wind toward the axis (inside) or away from it.
    for (size_t f = 0; f < m.faces.size(); ++f) {
        MeshFace& face = m.faces[f];
        size_t ring = (f / 2) / size_t(sides);
        Vec3 a = m.vertices[face.c[0].vertex], b = m.vertices[face.c[1].vertex],
             c = m.vertices[face.c[2].vertex];
        Vec3 mid = (a + b + c) * (1.0f / 3.0f);
        Vec3 axisPoint = lerp(centre[ring], centre[ring + 1], 0.5f);
        bool outward = dot(cross(b - a, c - a), mid - axisPoint) > 0;
        if (outward == inside) std::swap(face.c[1], face.c[2]);
    }
    return m;
}

Mesh rock(int level, uint32_t seed, float roughness) {
    Mesh m = icosphere(level);
    m.transform([&](Vec3 p) {
        float r = 1.0f + roughness * fractalNoise3(p * 1.7f, 3, seed);
        return p * r;
    });
    orientOutward(m, v3(0, 0, 0));
    return m;
}

Mesh shard() {
    Mesh m;
    int top = m.addVertex(v3(0, 0, 1.0f));
    int bottom = m.addVertex(v3(0, 0, -1.0f));
    int ring[4];
    for (int i = 0; i < 4; ++i) {
        float a = kPi * 0.5f * float(i) + 0.3f;
        ring[i] = m.addVertex(v3(0.22f * std::cos(a), 0.16f * std::sin(a), 0.15f));
    }
    for (int i = 0; i < 4; ++i) {
        int a = ring[i], b = ring[(i + 1) % 4];
        float u0 = float(i) * 0.25f, u1 = float(i + 1) * 0.25f;
        m.addFace(top, 0.5f, 0.0f, a, u0, 0.5f, b, u1, 0.5f);
        m.addFace(bottom, 0.5f, 1.0f, b, u1, 0.5f, a, u0, 0.5f);
    }
    orientOutward(m, v3(0, 0, 0.1f));
    return m;
}

}  // namespace scenegen
