#include "scene_build.h"

#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdio>

#include "scene/scene_file.h"

namespace scenegen {

float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float length(Vec3 a) { return std::sqrt(dot(a, a)); }
Vec3 normalized(Vec3 a) {
    float l = length(a);
    return l > 0 ? a * (1.0f / l) : Vec3{0, 0, 0};
}
Vec3 lerp(Vec3 a, Vec3 b, float t) { return a + (b - a) * t; }

Vec3 rotateAbout(Vec3 v, Vec3 axis, float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    return v * c + cross(axis, v) * s + axis * (dot(axis, v) * (1 - c));
}

Rotation rotationAxisAngle(Vec3 axis, float angle) {
    Vec3 a = normalized(axis);
    float s = std::sin(angle * 0.5f);
    return {std::cos(angle * 0.5f), a.x * s, a.y * s, a.z * s};
}

Rotation rotationCompose(Rotation a, Rotation b) {
    return {a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z,
            a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
            a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w};
}

Rotation rotationYawPitchRoll(float yaw, float pitch, float roll) {
    // Nose along +x: roll about x, then pitch about y (positive = nose down in
    // a right-handed frame, so negate for nose up), then yaw about z.
    Rotation r = rotationAxisAngle(v3(1, 0, 0), roll);
    r = rotationCompose(rotationAxisAngle(v3(0, 1, 0), -pitch), r);
    return rotationCompose(rotationAxisAngle(v3(0, 0, 1), yaw), r);
}

Vec3 rotateVec(Rotation r, Vec3 v) {
    Vec3 q = {r.x, r.y, r.z};
    Vec3 t = cross(q, v) * 2.0f;
    return v + t * r.w + cross(q, t);
}

Quat toStoredQuat(Rotation r) { return Quat{r.w, -r.x, -r.y, -r.z}; }

uint32_t Rng::next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}
float Rng::uniform() { return float(next() >> 8) * (1.0f / 16777216.0f); }
float Rng::range(float lo, float hi) { return lo + (hi - lo) * uniform(); }
Vec3 Rng::inBox(float half) { return {range(-half, half), range(-half, half), range(-half, half)}; }
Vec3 Rng::onSphere() {
    for (;;) {
        Vec3 p = inBox(1.0f);
        float l = length(p);
        if (l > 0.1f && l <= 1.0f) return p * (1.0f / l);
    }
}

namespace {
float latticeValue(int x, int y, int z, uint32_t seed) {
    uint32_t h = uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u ^ uint32_t(z) * 83492791u ^
                 seed * 2654435761u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return float(h & 0xffffu) * (2.0f / 65535.0f) - 1.0f;
}
float smooth(float t) { return t * t * (3 - 2 * t); }
}  // namespace

float valueNoise3(float x, float y, float z, uint32_t seed) {
    int ix = int(std::floor(x)), iy = int(std::floor(y)), iz = int(std::floor(z));
    float fx = smooth(x - float(ix)), fy = smooth(y - float(iy)), fz = smooth(z - float(iz));
    float c[2][2][2];
    for (int a = 0; a < 2; ++a)
        for (int b = 0; b < 2; ++b)
            for (int d = 0; d < 2; ++d) c[a][b][d] = latticeValue(ix + a, iy + b, iz + d, seed);
    auto l = [](float p, float q, float t) { return p + (q - p) * t; };
    float x00 = l(c[0][0][0], c[1][0][0], fx), x10 = l(c[0][1][0], c[1][1][0], fx);
    float x01 = l(c[0][0][1], c[1][0][1], fx), x11 = l(c[0][1][1], c[1][1][1], fx);
    return l(l(x00, x10, fy), l(x01, x11, fy), fz);
}

float fractalNoise3(Vec3 p, int octaves, uint32_t seed) {
    float sum = 0, amp = 0.5f, scale = 1;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * valueNoise3(p.x * scale, p.y * scale, p.z * scale, seed + uint32_t(i) * 31u);
        amp *= 0.5f;
        scale *= 2.03f;
    }
    return sum * 1.6f;
}

int Mesh::addVertex(Vec3 p) {
    vertices.push_back(p);
    return int(vertices.size()) - 1;
}

void Mesh::addFace(int a, float ua, float va, int b, float ub, float vb, int c, float uc, float vc) {
    faces.push_back(MeshFace{{{a, ua, va}, {b, ub, vb}, {c, uc, vc}}});
}

void Mesh::addQuad(int a, int b, int c, int d, const float uv[8]) {
    addFace(a, uv[0], uv[1], b, uv[2], uv[3], c, uv[4], uv[5]);
    addFace(a, uv[0], uv[1], c, uv[4], uv[5], d, uv[6], uv[7]);
}

void Mesh::append(const Mesh& other) {
    int base = int(vertices.size());
    vertices.insert(vertices.end(), other.vertices.begin(), other.vertices.end());
    for (MeshFace f : other.faces) {
        for (MeshCorner& c : f.c) c.vertex += base;
        faces.push_back(f);
    }
}

void Mesh::transform(const std::function<Vec3(Vec3)>& f) {
    for (Vec3& v : vertices) v = f(v);
}

void Mesh::flipWinding() {
    for (MeshFace& f : faces) std::swap(f.c[1], f.c[2]);
}

std::vector<int> keyTimes(int first, int last, int step) {
    std::vector<int> t;
    for (int x = first; x < last; x += step) t.push_back(x);
    t.push_back(last);
    return t;
}

namespace {
const float derivativeStep = 0.05f;

float gapBefore(const std::vector<int>& t, size_t i) {
    if (i > 0) return float(t[i] - t[i - 1]);
    return t.size() > 1 ? float(t[1] - t[0]) : 1.0f;
}
float gapAfter(const std::vector<int>& t, size_t i) {
    if (i + 1 < t.size()) return float(t[i + 1] - t[i]);
    return t.size() > 1 ? float(t[i] - t[i - 1]) : 1.0f;
}

Quat quatAdd(Quat a, Quat b, float s) {
    return {a.w + b.w * s, a.x + b.x * s, a.y + b.y * s, a.z + b.z * s};
}
float quatDot(Quat a, Quat b) { return a.w * b.w + a.x * b.x + a.y * b.y + a.z * b.z; }
Quat quatNormalized(Quat q) {
    float l = std::sqrt(quatDot(q, q));
    return {q.w / l, q.x / l, q.y / l, q.z / l};
}
Quat alignedTo(Quat q, Quat ref) {
    return quatDot(q, ref) < 0 ? Quat{-q.w, -q.x, -q.y, -q.z} : q;
}

// Hermite keys of a position or scalar curve: the value at each time, the
// tangents from the central difference scaled by the gaps to the neighbours.
template <typename Key, typename Fn>
std::vector<Key> hermiteKeys(const Fn& f, const std::vector<int>& times) {
    std::vector<Key> keys;
    for (size_t i = 0; i < times.size(); ++i) {
        float t = float(times[i]);
        const auto d = (f(t + derivativeStep) - f(t - derivativeStep)) * (0.5f / derivativeStep);
        Key k;
        k.time = times[i];
        k.value = f(t);
        k.inTangent = d * gapBefore(times, i);
        k.outTangent = d * gapAfter(times, i);
        keys.push_back(k);
    }
    return keys;
}
}  // namespace

std::vector<PositionKey> positionKeys(const VecFn& f, const std::vector<int>& times) {
    return hermiteKeys<PositionKey>(f, times);
}

std::vector<RotationKey> rotationKeys(const RotFn& f, const std::vector<int>& times) {
    std::vector<RotationKey> keys;
    Quat previous = {1, 0, 0, 0};
    for (size_t i = 0; i < times.size(); ++i) {
        float t = float(times[i]);
        Quat q = toStoredQuat(f(t));
        if (i > 0) q = alignedTo(q, previous);
        Quat ahead = alignedTo(toStoredQuat(f(t + derivativeStep)), q);
        Quat behind = alignedTo(toStoredQuat(f(t - derivativeStep)), q);
        Quat d = quatAdd(ahead, behind, -1.0f);
        d = {d.w * (0.5f / derivativeStep), d.x * (0.5f / derivativeStep),
             d.y * (0.5f / derivativeStep), d.z * (0.5f / derivativeStep)};
        RotationKey k;
        k.time = times[i];
        k.value = q;
        // A cubic Bezier leaves its first point with three times the first
        // control offset: a third of the segment's change at the key's rate.
        k.outControl = quatNormalized(quatAdd(q, d, gapAfter(times, i) / 3.0f));
        k.inControl = quatNormalized(quatAdd(q, d, -gapBefore(times, i) / 3.0f));
        keys.push_back(k);
        previous = q;
    }
    return keys;
}

std::vector<ScalarKey> scalarKeys(const ScalarFn& f, const std::vector<int>& times) {
    return hermiteKeys<ScalarKey>(f, times);
}

std::vector<PositionKey> constantPosition(Vec3 value) {
    PositionKey k = {{0, 0, 0}, 0, value, {0, 0, 0}};
    return {k};
}

std::vector<RotationKey> constantRotation(Rotation r) {
    Quat q = toStoredQuat(r);
    RotationKey k = {q, 0, q, q};
    return {k};
}

std::vector<ScalarKey> constantScalar(float value) {
    ScalarKey k = {0, 0, value, 0};
    return {k};
}

DraftObject& SceneDraft::addStatic(const Mesh& mesh, int material, Vec3 place, Rotation r) {
    objects.emplace_back();
    DraftObject& o = objects.back();
    o.mesh = mesh;
    o.material = material;
    o.position = constantPosition(place);
    o.rotation = constantRotation(r);
    o.scale = constantPosition(v3(1, 1, 1));
    return o;
}

DraftLight& SceneDraft::addLight(unsigned char r, unsigned char g, unsigned char b, Vec3 place) {
    lights.emplace_back();
    DraftLight& l = lights.back();
    l.red = r;
    l.green = g;
    l.blue = b;
    l.position = constantPosition(place);
    return l;
}

void setCamera(SceneDraft& draft, const VecFn& eye, const VecFn& target,
               const std::vector<int>& times, float fov, const ScalarFn& roll) {
    draft.camera.position = positionKeys(eye, times);
    draft.camera.target = positionKeys(target, times);
    draft.camera.fov = constantScalar(fov);
    draft.camera.roll = roll ? scalarKeys(roll, times) : constantScalar(0.0f);
}

namespace {
template <class Track, class Key>
Track trackOf(const std::vector<Key>& keys) {
    return Track{int(keys.size()), 0, const_cast<Key*>(keys.data())};
}
VisibilityTrack visibilityOf(const std::vector<int32_t>& times) {
    return VisibilityTrack{int(times.size()), 0, 0, const_cast<int32_t*>(times.data())};
}
}  // namespace

int writeDraft(const SceneDraft& draft, const std::string& dir, const char* name) {
    // The scene writer reads plain records; they point into the draft.
    SceneCamera camera = {};
    camera.positionTrack = trackOf<PositionTrack>(draft.camera.position);
    camera.rollTrack = trackOf<ScalarTrack>(draft.camera.roll);
    camera.fovTrack = trackOf<ScalarTrack>(draft.camera.fov);
    camera.targetTrack = trackOf<PositionTrack>(draft.camera.target);

    std::vector<std::vector<Face>> faceStore(draft.objects.size());
    std::vector<SceneObject> objects(draft.objects.size());
    for (size_t i = 0; i < draft.objects.size(); ++i) {
        const DraftObject& d = draft.objects[i];
        SceneObject& o = objects[i];
        o = SceneObject{};
        o.kind = static_cast<unsigned char>(d.kind);
        o.parentIndex = d.parent;
        o.vertexCount = int(d.mesh.vertices.size());
        o.baseVertices = const_cast<Vec3*>(d.mesh.vertices.data());
        for (const MeshFace& mf : d.mesh.faces) {
            Face f = {};
            for (int c = 0; c < 3; ++c) {
                f.corners[c].vertexIndex = mf.c[c].vertex;
                f.corners[c].uv[0] = mf.c[c].u;
                f.corners[c].uv[1] = mf.c[c].v;
            }
            faceStore[i].push_back(f);
        }
        o.faceCount = int(faceStore[i].size());
        o.faces = faceStore[i].data();
        o.textureIndex = d.material;  // written with texture base 0
        o.positionTrack = trackOf<PositionTrack>(d.position);
        o.rotationTrack = trackOf<RotationTrack>(d.rotation);
        o.scaleTrack = trackOf<PositionTrack>(d.scale);
        o.visibility = visibilityOf(d.visibility);
    }

    std::vector<SceneLight> lights(draft.lights.size());
    for (size_t i = 0; i < draft.lights.size(); ++i) {
        const DraftLight& d = draft.lights[i];
        SceneLight& l = lights[i];
        l = SceneLight{};
        l.red = float(d.red) / 256.0f;
        l.green = float(d.green) / 256.0f;
        l.blue = float(d.blue) / 256.0f;
        l.positionTrack = trackOf<PositionTrack>(d.position);
        l.visibility = visibilityOf(d.visibility);
    }

    std::unique_ptr<Scene> scene(new Scene{});
    scene->camera = &camera;
    scene->objects = objects.data();
    scene->objectCount = int(objects.size());
    scene->lights = lights.data();
    scene->lightCount = int(lights.size());
    std::string path = dir + "/" + name;
    if (!saveSceneFile(path.c_str(), scene.get(), 0)) {
        std::fprintf(stderr, "mkdata: cannot write %s\n", path.c_str());
        return 0;
    }
    return 1;
}

std::string absoluteDir(const char* dir) {
    std::string d = dir;
    if (!d.empty() && d[0] == '/') return d;
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd)) return d;
    return std::string(cwd) + "/" + d;
}

}  // namespace scenegen
