#pragma once
#include "scene/scene.h"

void evaluateScene(Scene* scene, float time);
void sampleCamera(SceneCamera* camera, float time);
void buildCameraBasis(SceneCamera* camera);
void toCameraSpace(Vec3* worldCopy, Vec3* out, const Vec3* src, const SceneCamera* camera);
void poseObject(SceneObject* object, float time);
void attachToParent(SceneObject* object, const SceneObject* parent);
void transformToView(SceneObject* object, const SceneCamera* camera);
void computeVertexNormals(SceneObject* object);
// Whether a vertex has yet to keep the length its normals are divided by.
bool normalLengthsPending(const SceneObject* object);
void computeEnvMapCoords(SceneObject* object);
// Second-layer coordinates of two-layer slots: a planar projection of the
// object-space x and y, scrolling with time.
void planarScrollTexCoords(SceneObject* object, float time);

// Whether the evaluation (and the hooks that bend the result) makes the
// camera-space vertices, normals and texture coordinates of the objects (on
// at the start). Each frame that draws an object makes them afresh, and only
// drawing reads them: frames played for what they leave to the next ones (a
// seek on its way) go without, but for the objects whose normals have yet to
// keep their lengths. Poses, cameras, lights and the particles' steps are
// made either way; where the particles stand in camera space is worked out
// once such frames end (scene/particle_views.h).
void evaluateVertices(bool on);
bool verticesEvaluated();
