// Baked vertex lighting: face-corner colours computed once at load from the
// scene's pose at time 0, in the camera space of that pose.
#include "fx/bake.h"

#include <cmath>

#include "scene/evaluate.h"
#include "scene/texture_slot.h"
#include "state/demo_state.h"

namespace {

typedef void (*CornerLightFn)(const Vec3* position, const Vec3* normal, const SceneLight* light,
                              float* r, float* g, float* b);

inline float clamp01(float v) {
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

// From a corner to a light: the distance, and the cosine between the corner's
// normal and the way to the light (meaningless when the distance is 0).
struct LightWay {
    float dist;
    float facing;
};

LightWay wayToLight(const Vec3* position, const Vec3* normal, const SceneLight* light) {
    const float dx = light->viewPosition.x - position->x;
    const float dy = light->viewPosition.y - position->y;
    const float dz = light->viewPosition.z - position->z;
    const float dist = std::sqrt(dx * dx + dy * dy + dz * dz);
    const float inv = 1.0f / dist;
    return LightWay{dist, dx * inv * normal->x + dy * inv * normal->y + dz * inv * normal->z};
}

// The evaluation skips hidden objects, so their view vertices hold no pose.
// Light them as they would stand at time 0: posed from their own tracks (and
// below their parent), seen by the same camera.
void poseHiddenObject(Scene* scene, SceneObject* object) {
    if (!object->visibility.hidden) return;
    if (!object->posed) poseObject(object, 0.0f);
    if (object->kind == 1 && object->parentIndex >= 0 &&
        object->parentIndex < scene->objectCount) {
        SceneObject* parent = &scene->objects[object->parentIndex];
        if (!parent->posed) poseObject(parent, 0.0f);
        attachToParent(object, parent);
    }
    transformToView(object, scene->camera);
}

// Common frame of the light bakers: ambient, plus every light visible at time 0.
// A light hidden at time 0 has never been placed, so it is left out.
void bakeLights(Scene* scene, float ambient, CornerLightFn lightFn) {
    evaluateScene(scene, 0.0f);
    for (int o = 0; o < scene->objectCount; ++o) {
        SceneObject* object = &scene->objects[o];
        poseHiddenObject(scene, object);
        computeVertexNormals(object);
        for (int f = 0; f < object->faceCount; ++f) {
            for (FaceCorner& corner : object->faces[f].corners) {
                const Vec3* p = &object->viewVertices[corner.vertexIndex];
                const Vec3* n = &object->normals[corner.vertexIndex];
                float r = ambient, g = ambient, b = ambient;
                for (int l = 0; l < scene->lightCount; ++l) {
                    const SceneLight* light = &scene->lights[l];
                    if (light->visibility.hidden) continue;
                    lightFn(p, n, light, &r, &g, &b);
                }
                if (scene->lightCount > 0) {
                    r = clamp01(r);
                    g = clamp01(g);
                    b = clamp01(b);
                }
                corner.colour[0] = r;
                corner.colour[1] = g;
                corner.colour[2] = b;
            }
        }
    }
}

}  // namespace

void normalYLight(const Vec3* /*position*/, const Vec3* normal, const void* /*unused*/, float* r,
                  float* g, float* b) {
    // Camera-space y grows downwards, so -y is the upward-facing part.
    const float v = clamp01(-normal->y - 0.1f);
    *r = v;
    *g = v;
    *b = v;
}

void pointLightFalloff(const Vec3* position, const Vec3* normal, const SceneLight* light,
                       float* r, float* g, float* b) {
    const LightWay way = wayToLight(position, normal, light);
    // Beyond 150 the light adds nothing; a light sitting on the corner has no
    // direction and adds nothing either.
    if (way.dist > 150.0f || !(way.dist > 0.0f)) return;
    const float c = clamp01(way.facing);
    const float cr = c * light->red;
    const float cg = c * light->green;
    const float cb = c * light->blue;
    *r += cr * cr * 3.2f;
    *g += cg * cg * 3.2f;
    *b += cb * cb * 3.2f;
}

void softLightFalloff(const Vec3* position, const Vec3* normal, const SceneLight* light,
                      float* r, float* g, float* b) {
    const LightWay way = wayToLight(position, normal, light);
    if (!(way.dist > 0.0f)) return;
    // Surfaces turned partly away still catch some light; full strength up to
    // 500 units, fading to nothing at 1000.
    const float a = clamp01(way.facing + 0.8f);
    const float f = clamp01(2.0f - 0.002f * way.dist);
    *r += a * f * light->red;
    *g += a * f * light->green;
    *b += a * f * light->blue;
}

void bakeNormalYLighting(Scene* scene) {
    evaluateScene(scene, 0.0f);
    for (int o = 0; o < scene->objectCount; ++o) {
        SceneObject* object = &scene->objects[o];
        if (!(demo.TextureTable[object->textureIndex].flags & textureFlagTwoLayer)) continue;
        poseHiddenObject(scene, object);
        computeVertexNormals(object);
        for (int f = 0; f < object->faceCount; ++f) {
            for (FaceCorner& corner : object->faces[f].corners) {
                normalYLight(&object->viewVertices[corner.vertexIndex],
                             &object->normals[corner.vertexIndex], scene, &corner.colour[0],
                             &corner.colour[1], &corner.colour[2]);
            }
        }
    }
}

void bakePointLighting(Scene* scene) {
    bakeLights(scene, 0.2f, pointLightFalloff);
}

void bakeSoftLighting(Scene* scene) {
    bakeLights(scene, 0.3f, softLightFalloff);
}

void scaleFaceColours(SceneObject* object, float factor) {
    for (int f = 0; f < object->faceCount; ++f)
        for (FaceCorner& corner : object->faces[f].corners)
            for (float& c : corner.colour) c *= factor;
}

void flipFaceWinding(SceneObject* object) {
    for (int f = 0; f < object->faceCount; ++f) {
        FaceCorner* corners = object->faces[f].corners;
        const FaceCorner keep = corners[1];
        corners[1] = corners[2];
        corners[2] = keep;
    }
}
