#include "scene/scene.h"

#include <cstdlib>

#include "scene/scene_file.h"
#include "scene/texture_slot.h"

SceneObject* findSceneObject(Scene* scene, int textureIndex) {
    for (int i = 0; i < scene->objectCount; ++i)
        if (scene->objects[i].textureIndex == textureIndex) return &scene->objects[i];
    return nullptr;
}

namespace {

void releaseCamera(SceneCamera* camera) {
    if (!camera) return;
    std::free(camera->positionTrack.keys);
    std::free(camera->rollTrack.keys);
    std::free(camera->fovTrack.keys);
    std::free(camera->targetTrack.keys);
    std::free(camera->visibility.times);
    std::free(camera);
}

void releaseObject(SceneObject* object) {
    std::free(object->baseVertices);
    std::free(object->viewVertices);
    std::free(object->faces);
    std::free(object->normals);
    std::free(object->normalScale);
    std::free(object->positionTrack.keys);
    std::free(object->rotationTrack.keys);
    std::free(object->scaleTrack.keys);
    std::free(object->visibility.times);
}

}  // namespace

// Everything here came from malloc/calloc, including records that were only
// partly read: their untouched pointers are null.
void releaseSceneContents(Scene* scene) {
    releaseCamera(scene->camera);
    if (scene->objects) {
        for (int i = 0; i < scene->objectCount; ++i) releaseObject(&scene->objects[i]);
        std::free(scene->objects);
    }
    if (scene->lights) {
        for (int i = 0; i < scene->lightCount; ++i) {
            std::free(scene->lights[i].positionTrack.keys);
            std::free(scene->lights[i].visibility.times);
        }
        std::free(scene->lights);
    }
    if (scene->spots) {
        for (int i = 0; i < scene->spotCount; ++i) {
            SceneSpot* spot = &scene->spots[i];
            std::free(spot->positionTrack.keys);
            std::free(spot->valueTrackA.keys);
            std::free(spot->valueTrackB.keys);
            std::free(spot->targetTrack.keys);
            std::free(spot->visibility.times);
        }
        std::free(scene->spots);
    }
    clearSceneTables(scene);
}

void clearSceneTables(Scene* scene) {
    scene->camera = nullptr;
    scene->objects = nullptr;
    scene->lights = nullptr;
    scene->spots = nullptr;
    scene->objectCount = 0;
    scene->lightCount = 0;
    scene->spotCount = 0;
    scene->particleSystemCount = 0;
    scene->hookCount = 0;
    scene->flareSetCount = 0;
}
