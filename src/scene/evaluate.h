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
void computeEnvMapCoords(SceneObject* object);
// Second-layer coordinates of two-layer slots: a planar projection of the
// object-space x and y, scrolling with time.
void planarScrollTexCoords(SceneObject* object, float time);
