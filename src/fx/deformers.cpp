// Per-frame mesh deformers. All but the mirror copy bend the camera-space
// vertices of the current frame, so nothing accumulates between frames, and
// where the evaluation makes no such vertices they have nothing to do.
#include "fx/frame_profile.h"
#include "fx/deformers.h"

#include <cmath>

#include "scene/evaluate.h"

namespace {

// The whole-scene warp: large, slow waves over camera space.
inline void warpPoint(Vec3* v, float b) {
    const float X = 0.0004f * v->x;
    const float Y = 0.0004f * v->y;
    const float Z = 0.0004f * v->z;
    const float x = v->x + 350.0f * std::sin(2.0f * (Y + Z) + b);
    const float y = v->y + 350.0f * std::cos(2.0f * (X + Z) + b);
    const float z = v->z + 350.0f * std::sin(2.0f * (X + Y) + b);
    *v = Vec3{x, y, z};
}

// Linear fade of a ripple centre's wave: 1 at the centre, 0 from 500 units on.
inline float rippleFade(float distance) {
    const float k = 1.0f - 0.002f * distance;
    return k < 0.0f ? 0.0f : k;
}

}  // namespace

void wobbleVertices(void* target, void* time) {
    if (!verticesEvaluated()) return;
    SceneObject* object = static_cast<SceneObject*>(target);
    const float a = *static_cast<const float*>(time) * 0.02f;
    Vec3* v = object->viewVertices;
    for (int i = 0; i < object->vertexCount; ++i) {
        const float X = 0.005f * v[i].x;
        const float Y = 0.005f * v[i].y;
        const float Z = 0.005f * v[i].z;
        v[i].x += 50.0f * std::sin(Y + Z + a);
        v[i].y += 50.0f * std::cos(X + Z + a);
        v[i].z += 50.0f * std::sin(X + Y + a);
    }
}

void warpScene(Scene* scene, float time) {
    const float b = time * 0.02f;
    for (int o = 0; o < scene->objectCount && verticesEvaluated(); ++o) {
        SceneObject* object = &scene->objects[o];
        for (int i = 0; i < object->vertexCount; ++i) warpPoint(&object->viewVertices[i], b);
    }
    // Only the world position moves: flares keep the unwarped light, while
    // light bursts follow the warped one in their second step of the frame.
    for (int l = 0; l < scene->lightCount; ++l) warpPoint(&scene->lights[l].worldPosition, b);
}

void rippleTwoCentres(void* target, void* time) {
    SceneObject* object = static_cast<SceneObject*>(target);
    if (!verticesEvaluated() && !normalLengthsPending(object)) return;
    const float a = *static_cast<const float*>(time) * 0.1f;
    const float angle = a * 0.1f;
    const float e = 0.04f * std::sin(angle) + 0.09f;
    const float f = 0.04f * std::cos(angle) + 0.09f;
    const float d = a * 0.5f;
    Vec3* v = object->viewVertices;
    for (int i = 0; i < object->vertexCount; ++i) {
        const float l = std::hypot(v[i].x - 100.0f, v[i].y - 100.0f);
        const float w = std::hypot(v[i].x + 100.0f, v[i].y + 100.0f);
        const float o = rippleFade(l);
        const float B = rippleFade(w);
        v[i].z += 10.0f * o * std::sin(l * e + d) - 10.0f * B * std::cos(w * f - d);
    }
    // The environment mapping follows the ripples whatever the slot asks for.
    computeVertexNormals(object);
    computeEnvMapCoords(object);
}

void repelVerticesFromParticles(void* target, void* particleSystem) {
    if (!verticesEvaluated()) return;
    SceneObject* object = static_cast<SceneObject*>(target);
    const ParticleSystem* system = static_cast<const ParticleSystem*>(particleSystem);
    Vec3* v = object->viewVertices;
    for (int i = 0; i < object->vertexCount; ++i) {
        Vec3 p = v[i];
        // The count is read afresh: the choreography switches heads on and off.
        for (int k = 0; k < system->count; ++k) {
            const Vec3& q = system->particles[k].viewPos;
            const float dx = p.x - q.x;
            const float dy = p.y - q.y;
            const float dz = p.z - q.z;
            float dist = std::sqrt(dx * dx + dy * dy + dz * dz);
            if (dist < 1.0f) dist = 1.0f;
            const float push = 60.0f - 0.5f * dist;
            if (push > 0.0f) {
                p.x += push * (dx / dist);
                p.y += push * (dy / dist);
                p.z += push * (dz / dist);
            }
        }
        v[i] = p;
    }
}

void mirrorRippleVertices(SceneObject* dst, const SceneObject* src, float time) {
    ComputeSpan span;
    const float a = time * 0.05f;
    // A smaller destination gets only the vertices it has room for.
    const int n = src->vertexCount < dst->vertexCount ? src->vertexCount : dst->vertexCount;
    for (int i = 0; i < n; ++i) {
        const Vec3 s = src->baseVertices[i];
        Vec3& out = dst->baseVertices[i];
        out.x = s.x + 0.1f * std::sin(4.0f * s.z + 5.0f * s.y + a);
        out.y = s.y + 0.1f * std::cos(4.0f * s.x - 5.0f * s.z + a);
        out.z = -s.z;
    }
}
