#pragma once
#include "scene/scene.h"

// Appends a particle system and pre-runs it 100 steps. 1 on success; a full
// table is refused with a message on stderr (0).
int addParticleSystem(Scene* scene, void* userData, int count, ParticleInitFn init,
                      ParticleUpdateFn update, int textureIndex);
// *out receives n + 1 points; point n repeats the sample at time 0.
void samplePath(Vec3** out, PositionTrack* track, int n);
void followPath(const Vec3* path, Vec3* out, float t);
int addSceneHook(Scene* scene, void* target, void* userData, SceneHookFn function);
void runSceneHooks(Scene* scene);

