#pragma once
#include "scene/scene.h"

void bakeNormalYLighting(Scene* scene);
void bakePointLighting(Scene* scene);
void bakeSoftLighting(Scene* scene);
void normalYLight(const Vec3* position, const Vec3* normal, const void* unused, float* r,
                  float* g, float* b);
void pointLightFalloff(const Vec3* position, const Vec3* normal, const SceneLight* light,
                       float* r, float* g, float* b);
void softLightFalloff(const Vec3* position, const Vec3* normal, const SceneLight* light,
                      float* r, float* g, float* b);
void scaleFaceColours(SceneObject* object, float factor);
void flipFaceWinding(SceneObject* object);
