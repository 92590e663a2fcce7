#pragma once
#include <cstdlib>

#include "scene/scene.h"
#include "state/demo_memory.h"

// One zeroed scene for a loader test, given back with the lens arrays the
// flare loader hung off it.
struct SceneHolder {
    Scene* scene = static_cast<Scene*>(std::calloc(1, sizeof(Scene)));
    SceneHolder() = default;
    SceneHolder(const SceneHolder&) = delete;
    SceneHolder& operator=(const SceneHolder&) = delete;
    ~SceneHolder() {
        for (int i = 0; scene->flareSets && i < scene->flareSetCount && i < maxSceneTableEntries; ++i)
            giveBackDemoMemory(scene->flareSets[i].lenses);
        std::free(scene);
    }
};
