#include "scene/scene.h"

#include "scene/scene_file.h"
#include "scene/texture_slot.h"
#include "state/demo_memory.h"

SceneObject* findSceneObject(Scene* scene, int textureIndex) {
    for (int i = 0; i < scene->objectCount; ++i)
        if (scene->objects[i].textureIndex == textureIndex) return &scene->objects[i];
    return nullptr;
}

namespace {

template <typename T>
int takeTable(T** table) {
    if (!*table) *table = takeDemoArray<T>(DemoMemory::changing, maxSceneTableEntries);
    return *table != nullptr;
}

}  // namespace

int takeParticleSystemTable(Scene* scene) { return takeTable(&scene->particleSystems); }
int takeHookTable(Scene* scene) { return takeTable(&scene->hooks); }
int takeFlareSetTable(Scene* scene) { return takeTable(&scene->flareSets); }

int takeSceneTables(Scene* scene) {
    return takeParticleSystemTable(scene) && takeHookTable(scene) && takeFlareSetTable(scene);
}

namespace {

void releaseCamera(SceneCamera* camera) {
    if (!camera) return;
    giveBackDemoMemory(camera->positionTrack.keys);
    giveBackDemoMemory(camera->rollTrack.keys);
    giveBackDemoMemory(camera->fovTrack.keys);
    giveBackDemoMemory(camera->targetTrack.keys);
    giveBackDemoMemory(camera->visibility.times);
    giveBackDemoMemory(camera);
}

void releaseObject(SceneObject* object) {
    giveBackDemoMemory(object->baseVertices);
    giveBackDemoMemory(object->viewVertices);
    giveBackDemoMemory(object->faces);
    giveBackDemoMemory(object->normals);
    giveBackDemoMemory(object->normalScale);
    giveBackDemoMemory(object->positionTrack.keys);
    giveBackDemoMemory(object->rotationTrack.keys);
    giveBackDemoMemory(object->scaleTrack.keys);
    giveBackDemoMemory(object->visibility.times);
}

}  // namespace

// Everything here came from the demo's arenas (or, built by hand, from
// malloc), including records that were only partly read: their untouched
// pointers are null.
void releaseSceneContents(Scene* scene) {
    releaseCamera(scene->camera);
    if (scene->objects) {
        for (int i = 0; i < scene->objectCount; ++i) releaseObject(&scene->objects[i]);
        giveBackDemoMemory(scene->objects);
    }
    if (scene->lights) {
        for (int i = 0; i < scene->lightCount; ++i) {
            giveBackDemoMemory(scene->lights[i].positionTrack.keys);
            giveBackDemoMemory(scene->lights[i].visibility.times);
        }
        giveBackDemoMemory(scene->lights);
    }
    if (scene->spots) {
        for (int i = 0; i < scene->spotCount; ++i) {
            SceneSpot* spot = &scene->spots[i];
            giveBackDemoMemory(spot->positionTrack.keys);
            giveBackDemoMemory(spot->valueTrackA.keys);
            giveBackDemoMemory(spot->valueTrackB.keys);
            giveBackDemoMemory(spot->targetTrack.keys);
            giveBackDemoMemory(spot->visibility.times);
        }
        giveBackDemoMemory(scene->spots);
    }
    giveBackDemoMemory(scene->particleSystems);
    giveBackDemoMemory(scene->hooks);
    giveBackDemoMemory(scene->flareSets);
    clearSceneTables(scene);
}

void clearSceneTables(Scene* scene) {
    scene->camera = nullptr;
    scene->objects = nullptr;
    scene->lights = nullptr;
    scene->spots = nullptr;
    scene->particleSystems = nullptr;
    scene->hooks = nullptr;
    scene->flareSets = nullptr;
    scene->objectCount = 0;
    scene->lightCount = 0;
    scene->spotCount = 0;
    scene->particleSystemCount = 0;
    scene->hookCount = 0;
    scene->flareSetCount = 0;
}
