#include "scene/evaluate.h"

#include "scene/particle_views.h"
#include "scene/texture_slot.h"
#include "state/demo_state.h"

namespace {

// Camera-space y is stretched so that a square projection fills the 4:3 window.
const float cameraYStretch = 1.34f;

float dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

bool isZero(const Vec3& v) { return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f; }

int slotFlags(int textureIndex) {
    if (!demo.TextureTable || textureIndex < 0 || textureIndex >= textureTableSize) return 0;
    return demo.TextureTable[textureIndex].flags;
}

}  // namespace

void sampleCamera(SceneCamera* camera, float time) {
    samplePositionTrack(&camera->positionTrack, &camera->position, time);
    samplePositionTrack(&camera->targetTrack, &camera->target, time);
    sampleScalarTrack(&camera->rollTrack, &camera->roll, time);
    sampleScalarTrack(&camera->fovTrack, &camera->fov, time);
}

void buildCameraBasis(SceneCamera* camera) {
    Vec3 forward = {camera->target.x - camera->position.x, camera->target.y - camera->position.y,
                    camera->target.z - camera->position.z};
    // A target on the eye has no direction: look along +y like a level camera.
    if (isZero(forward)) forward = Vec3{0.0f, 1.0f, 0.0f};
    normalizeVec3(&forward);
    Vec3 right = {forward.y, -forward.x, 0.0f};
    // Looking straight up or down leaves no horizontal perpendicular; keep x as right.
    if (isZero(right)) right = Vec3{1.0f, 0.0f, 0.0f};
    normalizeVec3(&right);
    Vec3 down = {forward.y * right.z - forward.z * right.y,
                 forward.z * right.x - forward.x * right.z,
                 forward.x * right.y - forward.y * right.x};
    normalizeVec3(&down);

    Mat3 basis = {
        {right.x, right.y, right.z, down.x, down.y, down.z, forward.x, forward.y, forward.z}};
    Mat3 roll;
    mat3PreMultiply(&basis, rotationZ(&roll, camera->roll));
    scaleMat3Row1(&basis, cameraYStretch);
    camera->right = Vec3{basis.m[0], basis.m[1], basis.m[2]};
    camera->down = Vec3{basis.m[3], basis.m[4], basis.m[5]};
    camera->forward = Vec3{basis.m[6], basis.m[7], basis.m[8]};
}

void toCameraSpace(Vec3* worldCopy, Vec3* out, const Vec3* src, const SceneCamera* camera) {
    Vec3 p = *src;
    Vec3 d = {p.x - camera->position.x, p.y - camera->position.y, p.z - camera->position.z};
    Vec3 v = {dot(d, camera->right), -dot(d, camera->down), -dot(d, camera->forward)};
    *worldCopy = p;
    *out = v;
}

void poseObject(SceneObject* object, float time) {
    Vec3 p, s;
    Quat q;
    samplePositionTrack(&object->positionTrack, &p, time);
    sampleRotationTrack(&object->rotationTrack, &q, time);
    sampleScaleTrack(&object->scaleTrack, &s, time);
    // Scale per axis first, then the transpose of q's rotation; q is used as sampled.
    float w = q.w, x = q.x, y = q.y, z = q.z;
    float* m = object->matrix.m;
    m[0] = (1.0f - 2.0f * y * y - 2.0f * z * z) * s.x;
    m[1] = (2.0f * x * y + 2.0f * w * z) * s.y;
    m[2] = (2.0f * x * z - 2.0f * w * y) * s.z;
    m[3] = (2.0f * x * y - 2.0f * w * z) * s.x;
    m[4] = (1.0f - 2.0f * x * x - 2.0f * z * z) * s.y;
    m[5] = (2.0f * y * z + 2.0f * w * x) * s.z;
    m[6] = (2.0f * x * z + 2.0f * w * y) * s.x;
    m[7] = (2.0f * y * z - 2.0f * w * x) * s.y;
    m[8] = (1.0f - 2.0f * x * x - 2.0f * y * y) * s.z;
    object->position = p;
    object->posed = 1;
}

void attachToParent(SceneObject* object, const SceneObject* parent) {
    const float* pm = parent->matrix.m;
    const Vec3& op = object->position;
    Vec3 position = {pm[0] * op.x + pm[1] * op.y + pm[2] * op.z + parent->position.x,
                     pm[3] * op.x + pm[4] * op.y + pm[5] * op.z + parent->position.y,
                     pm[6] * op.x + pm[7] * op.y + pm[8] * op.z + parent->position.z};
    Mat3 parentMatrix = parent->matrix;
    mat3PreMultiply(&object->matrix, &parentMatrix);
    object->position = position;
}

// Object and camera transforms folded into one matrix and offset per object,
// so each vertex costs a single 3x3 product and an addition.
void transformToView(SceneObject* object, const SceneCamera* camera) {
    // Rows of the camera basis with y and z negated for camera space.
    Mat3 view = {{camera->right.x, camera->right.y, camera->right.z, -camera->down.x,
                  -camera->down.y, -camera->down.z, -camera->forward.x, -camera->forward.y,
                  -camera->forward.z}};
    Vec3 offset = {object->position.x - camera->position.x, object->position.y - camera->position.y,
                   object->position.z - camera->position.z};
    Mat3 a = object->matrix;
    mat3PreMultiply(&a, &view);
    const float* v = view.m;
    Vec3 t = {v[0] * offset.x + v[1] * offset.y + v[2] * offset.z,
              v[3] * offset.x + v[4] * offset.y + v[5] * offset.z,
              v[6] * offset.x + v[7] * offset.y + v[8] * offset.z};

    const float* m = a.m;
    const Vec3* src = object->baseVertices;
    Vec3* dst = object->viewVertices;
    for (int i = 0, n = object->vertexCount; i < n; ++i) {
        Vec3 p = src[i];
        dst[i].x = m[0] * p.x + m[1] * p.y + m[2] * p.z + t.x;
        dst[i].y = m[3] * p.x + m[4] * p.y + m[5] * p.z + t.y;
        dst[i].z = m[6] * p.x + m[7] * p.y + m[8] * p.z + t.z;
    }
}

namespace {
bool vertexWork = true;

bool isHookTarget(const Scene* scene, const SceneObject* object) {
    for (int i = 0; i < scene->hookCount; ++i)
        if (scene->hooks[i].target == object) return true;
    return false;
}

// The camera-space work of an object is skipped where nothing but drawing
// reads it. Its normals' lengths are the exception: each vertex keeps the
// first one it gets (computeVertexNormals), so until every vertex has one, a
// frame that may make normals (environment mapping, or a hook that bends
// the vertices and may make them) is worked out whole.
bool needsVertices(const Scene* scene, const SceneObject* object, int flags) {
    if (vertexWork) return true;
    if (!(flags & textureFlagEnvMap) && !isHookTarget(scene, object)) return false;
    return normalLengthsPending(object);
}
}  // namespace

void evaluateVertices(bool on) {
    if (on && !vertexWork) settleParticleViews();
    vertexWork = on;
}
bool verticesEvaluated() { return vertexWork; }

namespace {

void evaluateObject(Scene* scene, SceneObject* object, float time) {
    advanceVisibility(&object->visibility, time);
    if (object->visibility.hidden) return;  // keeps the data of its last visible frame
    if (!object->posed) poseObject(object, time);
    if (object->kind == 1 && object->parentIndex >= 0 && object->parentIndex < scene->objectCount) {
        // One level per object: a parent later in the list offers only its local pose.
        SceneObject* parent = &scene->objects[object->parentIndex];
        if (!parent->posed) poseObject(parent, time);
        attachToParent(object, parent);
    }
    const int flags = slotFlags(object->textureIndex);
    if (!needsVertices(scene, object, flags)) return;
    transformToView(object, scene->camera);
    if (flags & textureFlagEnvMap) {
        computeVertexNormals(object);
        computeEnvMapCoords(object);
    }
    if (flags & textureFlagTwoLayer) planarScrollTexCoords(object, time);
}

}  // namespace

void evaluateScene(Scene* scene, float time) {
    SceneCamera* camera = scene->camera;
    if (!camera) return;
    sampleCamera(camera, time);
    buildCameraBasis(camera);

    for (int i = 0; i < scene->objectCount; ++i) scene->objects[i].posed = 0;
    for (int i = 0; i < scene->objectCount; ++i) evaluateObject(scene, &scene->objects[i], time);

    for (int i = 0; i < scene->lightCount; ++i) {
        SceneLight* light = &scene->lights[i];
        advanceVisibility(&light->visibility, time);
        if (light->visibility.hidden) continue;  // frozen where it was last seen
        Vec3 p;
        samplePositionTrack(&light->positionTrack, &p, time);
        toCameraSpace(&light->worldPosition, &light->viewPosition, &p, camera);
    }

    Vec3 scratch;
    for (int i = 0; i < scene->particleSystemCount; ++i) {
        ParticleSystem* system = &scene->particleSystems[i];
        int j = 0;
        for (; j < system->count; ++j) {
            Particle* particle = &system->particles[j];
            if (system->update) system->update(particle, system->userData);
            if (vertexWork)
                toCameraSpace(&scratch, &particle->viewPos, &particle->worldPos, camera);
        }
        if (!vertexWork) noteParticlesStepped(system, j, camera);
    }
}
