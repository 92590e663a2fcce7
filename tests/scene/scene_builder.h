#pragma once
// Small in-memory scenes for tests, built the way the loader builds them: every
// array comes from calloc, so deleteScene (releaseSceneContents) frees them all.
//
//   Scene* scene = scenebuild::newScene({0, 0, 0}, {0, 10, 0});
//   int cube = scenebuild::addObject(scene, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}, 25);
//   ...
//   scenebuild::deleteScene(scene);
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "scene/scene.h"
#include "scene/scene_file.h"

namespace scenebuild {

template <typename T>
inline T* allocArray(size_t n) {
    return n > 0 ? static_cast<T*>(std::calloc(n, sizeof(T))) : nullptr;
}

template <typename T>
inline T* copyArray(std::initializer_list<T> items) {
    T* p = allocArray<T>(items.size());
    size_t i = 0;
    for (const T& item : items) p[i++] = item;
    return p;
}

// Keys; tangents 0 unless given, rotation controls equal to the value.
inline PositionKey positionKey(int32_t time, Vec3 value, Vec3 inTangent = {0, 0, 0},
                               Vec3 outTangent = {0, 0, 0}) {
    return PositionKey{inTangent, time, value, outTangent};
}
inline RotationKey rotationKey(int32_t time, Quat value) {
    return RotationKey{value, time, value, value};
}
inline ScalarKey scalarKey(int32_t time, float value, float inTangent = 0, float outTangent = 0) {
    return ScalarKey{inTangent, time, value, outTangent};
}

inline PositionTrack positionTrack(std::initializer_list<PositionKey> keys) {
    return PositionTrack{int(keys.size()), 0, copyArray(keys)};
}
inline PositionTrack positionTrack(Vec3 value) { return positionTrack({positionKey(0, value)}); }
inline RotationTrack rotationTrack(std::initializer_list<RotationKey> keys) {
    return RotationTrack{int(keys.size()), 0, copyArray(keys)};
}
inline RotationTrack rotationTrack(Quat value) { return rotationTrack({rotationKey(0, value)}); }
inline ScalarTrack scalarTrack(std::initializer_list<ScalarKey> keys) {
    return ScalarTrack{int(keys.size()), 0, copyArray(keys)};
}
inline ScalarTrack scalarTrack(float value) { return scalarTrack({scalarKey(0, value)}); }
inline VisibilityTrack visibilityTrack(std::initializer_list<int32_t> times) {
    return VisibilityTrack{int(times.size()), 0, 0, copyArray(times)};
}

// A zeroed Scene with a camera whose four sampled tracks hold one key each.
inline Scene* newScene(Vec3 eye = {0, 0, 0}, Vec3 target = {0, 10, 0}, float roll = 0.0f,
                       float fov = 0.5f) {
    Scene* scene = allocArray<Scene>(1);
    SceneCamera* camera = allocArray<SceneCamera>(1);
    camera->positionTrack = positionTrack(eye);
    camera->rollTrack = scalarTrack(roll);
    camera->fovTrack = scalarTrack(fov);
    camera->targetTrack = positionTrack(target);
    scene->camera = camera;
    return scene;
}

struct Triangle {
    int a, b, c;
};

// Appends a root object with one key per track; returns its index. Pointers to
// earlier objects may move (the list is reallocated).
inline int addObject(Scene* scene, const std::vector<Vec3>& vertices,
                     const std::vector<Triangle>& triangles, int textureIndex = 0,
                     Vec3 position = {0, 0, 0}, Quat rotation = {1, 0, 0, 0},
                     Vec3 scale = {1, 1, 1}) {
    int index = scene->objectCount;
    scene->objects = static_cast<SceneObject*>(
        std::realloc(scene->objects, sizeof(SceneObject) * size_t(index + 1)));
    SceneObject* o = &scene->objects[index];
    std::memset(o, 0, sizeof *o);
    scene->objectCount = index + 1;

    int v = int(vertices.size());
    o->vertexCount = v;
    o->baseVertices = allocArray<Vec3>(size_t(v));
    o->viewVertices = allocArray<Vec3>(size_t(v));
    o->normals = allocArray<Vec3>(size_t(v));
    o->normalScale = allocArray<float>(size_t(v));
    for (int i = 0; i < v; ++i) o->baseVertices[i] = vertices[size_t(i)];

    o->faceCount = int(triangles.size());
    o->faces = allocArray<Face>(triangles.size());
    for (size_t f = 0; f < triangles.size(); ++f) {
        const int ids[3] = {triangles[f].a, triangles[f].b, triangles[f].c};
        for (int c = 0; c < 3; ++c) {
            FaceCorner& corner = o->faces[f].corners[c];
            corner.vertexIndex = ids[c];
            corner.colour[0] = corner.colour[1] = corner.colour[2] = 1.0f;
        }
    }
    o->textureIndex = textureIndex;
    o->positionTrack = positionTrack(position);
    o->rotationTrack = rotationTrack(rotation);
    o->scaleTrack = positionTrack(scale);
    computeBaseNormals(o);
    return index;
}

inline void setParent(Scene* scene, int child, int parent) {
    scene->objects[child].kind = 1;
    scene->objects[child].parentIndex = parent;
}

inline int addLight(Scene* scene, Vec3 position, float red = 1, float green = 1, float blue = 1) {
    int index = scene->lightCount;
    scene->lights = static_cast<SceneLight*>(
        std::realloc(scene->lights, sizeof(SceneLight) * size_t(index + 1)));
    SceneLight* l = &scene->lights[index];
    std::memset(l, 0, sizeof *l);
    l->red = red;
    l->green = green;
    l->blue = blue;
    l->positionTrack = positionTrack(position);
    scene->lightCount = index + 1;
    return index;
}

inline int addSpot(Scene* scene, Vec3 position, Vec3 target, float r, float g, float b) {
    int index = scene->spotCount;
    scene->spots =
        static_cast<SceneSpot*>(std::realloc(scene->spots, sizeof(SceneSpot) * size_t(index + 1)));
    SceneSpot* s = &scene->spots[index];
    std::memset(s, 0, sizeof *s);
    s->colour[0] = r;
    s->colour[1] = g;
    s->colour[2] = b;
    s->positionTrack = positionTrack(position);
    s->targetTrack = positionTrack(target);
    scene->spotCount = index + 1;
    return index;
}

// Frees the scene and everything hanging off it (not particle arrays, which
// belong to whoever added the particle systems).
inline void deleteScene(Scene* scene) {
    if (!scene) return;
    releaseSceneContents(scene);
    std::free(scene);
}

}  // namespace scenebuild
