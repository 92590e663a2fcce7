#pragma once
// Building blocks of the generated scene files: meshes, keyframe tracks made
// from functions of time, and a draft scene that owns everything until it is
// written with saveSceneFile.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "scene/scene.h"

namespace scenegen {

// ---- small vector helpers (the generator's own) ----
inline Vec3 v3(float x, float y, float z) { return Vec3{x, y, z}; }
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline Vec3 operator*(float s, Vec3 a) { return {a.x * s, a.y * s, a.z * s}; }
float dot(Vec3 a, Vec3 b);
Vec3 cross(Vec3 a, Vec3 b);
float length(Vec3 a);
Vec3 normalized(Vec3 a);
Vec3 lerp(Vec3 a, Vec3 b, float t);

// Rotation of v about a unit axis by angle (right-handed).
Vec3 rotateAbout(Vec3 v, Vec3 axis, float angle);

// Orientations are handled as the rotation they apply to object vertices;
// toStoredQuat gives the key value the scene format wants for it (the file
// stores the conjugate: the evaluator turns vertices by the transpose).
struct Rotation {
    float w, x, y, z;  // unit quaternion of the rotation applied to vertices
};
Rotation rotationAxisAngle(Vec3 axis, float angle);
Rotation rotationCompose(Rotation a, Rotation b);  // first b, then a
Rotation rotationYawPitchRoll(float yaw, float pitch, float roll);  // about z, then y', x''
Vec3 rotateVec(Rotation r, Vec3 v);
Quat toStoredQuat(Rotation r);

// ---- deterministic random numbers, independent of the demo's generator ----
struct Rng {
    uint32_t state;
    explicit Rng(uint32_t seed) : state(seed * 2654435761u + 12345u) {}
    uint32_t next();
    float uniform();                   // [0, 1)
    float range(float lo, float hi);   // [lo, hi)
    Vec3 inBox(float half);            // each component in [-half, half)
    Vec3 onSphere();                   // unit vector
};

// Smooth value noise in 3D, roughly in [-1, 1].
float valueNoise3(float x, float y, float z, uint32_t seed);
float fractalNoise3(Vec3 p, int octaves, uint32_t seed);

// ---- meshes ----
struct MeshCorner {
    int vertex;
    float u, v;
};
struct MeshFace {
    MeshCorner c[3];
};
struct Mesh {
    std::vector<Vec3> vertices;
    std::vector<MeshFace> faces;

    int addVertex(Vec3 p);
    // Counter-clockwise seen from the side the face is to be seen from.
    void addFace(int a, float ua, float va, int b, float ub, float vb, int c, float uc, float vc);
    // Quad a-b-c-d counter-clockwise, uv per corner.
    void addQuad(int a, int b, int c, int d, const float uv[8]);
    void append(const Mesh& other);
    void transform(const std::function<Vec3(Vec3)>& f);
    void flipWinding();
};

// ---- tracks as functions of time ----
using VecFn = std::function<Vec3(float)>;
using RotFn = std::function<Rotation(float)>;
using ScalarFn = std::function<float(float)>;

// Keys at the given integer times, with Hermite tangents from the function's
// own derivative, so the sampled track follows the function closely.
std::vector<PositionKey> positionKeys(const VecFn& f, const std::vector<int>& times);
std::vector<RotationKey> rotationKeys(const RotFn& f, const std::vector<int>& times);
std::vector<ScalarKey> scalarKeys(const ScalarFn& f, const std::vector<int>& times);
std::vector<PositionKey> constantPosition(Vec3 value);
std::vector<RotationKey> constantRotation(Rotation r);
std::vector<ScalarKey> constantScalar(float value);
// Times first, first + step, ..., up to and including last.
std::vector<int> keyTimes(int first, int last, int step);

// ---- the draft scene ----
struct DraftObject {
    Mesh mesh;
    int material = 0;
    int kind = 0;
    int parent = 0;
    std::vector<PositionKey> position;
    std::vector<RotationKey> rotation;
    std::vector<PositionKey> scale;
    std::vector<int32_t> visibility;
};

struct DraftLight {
    unsigned char red = 255, green = 255, blue = 255;
    std::vector<PositionKey> position;
    std::vector<int32_t> visibility;
};

struct DraftCamera {
    std::vector<PositionKey> position;
    std::vector<ScalarKey> roll;
    std::vector<ScalarKey> fov;
    std::vector<PositionKey> target;
};

struct SceneDraft {
    DraftCamera camera;
    std::vector<DraftObject> objects;
    std::vector<DraftLight> lights;

    // A still object at a place, turned by r.
    DraftObject& addStatic(const Mesh& mesh, int material, Vec3 place,
                           Rotation r = Rotation{1, 0, 0, 0});
    DraftLight& addLight(unsigned char r, unsigned char g, unsigned char b, Vec3 place);
};

// Camera keys from functions of time; fov is half the vertical angle.
void setCamera(SceneDraft& draft, const VecFn& eye, const VecFn& target,
               const std::vector<int>& times, float fov, const ScalarFn& roll = nullptr);

// Writes the draft as dir/name with the scene writer. 1 on success.
int writeDraft(const SceneDraft& draft, const std::string& dir, const char* name);

// Absolute form of a folder name (the scene writer maps relative "data/..."
// names onto the program's data folder, so the writers pass absolute paths).
std::string absoluteDir(const char* dir);

}  // namespace scenegen
