#pragma once
#include "scene/scene.h"

// Hooks (target is a SceneObject*).
void wobbleVertices(void* object, void* time);
void rippleTwoCentres(void* object, void* time);
void repelVerticesFromParticles(void* object, void* particleSystem);

void warpScene(Scene* scene, float time);
void mirrorRippleVertices(SceneObject* dst, const SceneObject* src, float time);
