// Particle-system and scene-hook tables of a scene, and the sampled paths the
// path-following kinds stream along.
#include "fx/particles.h"

#include <cmath>
#include <cstdio>

#include "platform/report_error.h"
#include "scene/texture_slot.h"
#include "state/demo_memory.h"
#include "state/demo_state.h"

namespace {
// A scene's tables hold maxSceneTableEntries each: false, said as "WHAT
// refused: the scene already holds N ENTRIES", when this one is full.
bool sceneTableHasRoom(int entries, const char* what, const char* entriesName) {
    if (entries < maxSceneTableEntries) return true;
    char text[160];
    std::snprintf(text, sizeof text, "%s refused: the scene already holds %d %s", what,
                  maxSceneTableEntries, entriesName);
    reportError(text);
    return false;
}
}  // namespace

int addParticleSystem(Scene* scene, void* userData, int count, ParticleInitFn init,
                      ParticleUpdateFn update, int textureIndex) {
    if (!sceneTableHasRoom(scene->particleSystemCount, "particle system", "systems")) return 0;
    if (count < 0 || textureIndex < 0 || textureIndex >= textureTableSize) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "particle system refused: %d particles with texture slot %d", count,
                      textureIndex);
        reportError(text);
        return 0;
    }
    Particle* particles = takeParticleSystemTable(scene)
        ? takeDemoArray<Particle>(DemoMemory::changing, size_t(count > 0 ? count : 1))
        : nullptr;
    if (!particles) {
        reportError("particle system refused: out of memory");
        return 0;
    }
    ParticleSystem* system = &scene->particleSystems[scene->particleSystemCount++];
    system->particles = particles;
    system->count = count;
    system->init = init;
    system->update = update;
    system->userData = userData;
    system->texture = &demo.TextureTable[textureIndex];
    // Start as if the system had already run: each particle gets its 100 steps
    // before the next one is initialised, which fixes the random sequence.
    for (int i = 0; i < count; ++i) {
        init(&particles[i]);
        for (int step = 0; step < 100; ++step) update(&particles[i], userData);
    }
    return 1;
}

void samplePath(Vec3** out, PositionTrack* track, int n) {
    if (n < 0) n = 0;
    Vec3* points = takeDemoArray<Vec3>(DemoMemory::fixed, size_t(n) + 1);
    *out = points;
    if (!points) {
        reportError("particle path refused: out of memory");
        return;
    }
    for (int i = 0; i < n; ++i) samplePositionTrack(track, &points[i], static_cast<float>(i));
    // The last point repeats time 0 so the path closes on itself.
    samplePositionTrack(track, &points[n], 0.0f);
}

void followPath(const Vec3* path, Vec3* out, float t) {
    const float fi = std::floor(t);
    const int i = static_cast<int>(fi);
    const float f = t - fi;
    const float g = 1.0f - f;
    out->x = g * path[i].x + f * path[i + 1].x;
    out->y = g * path[i].y + f * path[i + 1].y;
    out->z = g * path[i].z + f * path[i + 1].z;
}

int addSceneHook(Scene* scene, void* target, void* userData, SceneHookFn function) {
    if (!sceneTableHasRoom(scene->hookCount, "scene hook", "hooks")) return 0;
    if (!takeHookTable(scene)) {
        reportError("scene hook refused: out of memory");
        return 0;
    }
    scene->hooks[scene->hookCount++] = SceneHook{target, userData, function};
    return 1;
}

void runSceneHooks(Scene* scene) {
    for (int i = 0; i < scene->hookCount; ++i)
        scene->hooks[i].function(scene->hooks[i].target, scene->hooks[i].userData);
}
