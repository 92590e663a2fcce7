#include <cstdlib>
#include <initializer_list>

#include "fx/grid_layer.h"
#include "scene/scene.h"
#include "scene/scene_file.h"
#include "scene/texture_slot.h"
#include "script/setup.h"
#include "state/demo_state.h"

int loadAll() {
    if (!makeDemoState()) return 0;

    static int (*const setups[])() = {setupLogoAssets,   setupLightScene, setupNeuronalScene,
                                      setupAterieScene,  setupFischScene, setupDarmScene,
                                      setupKopuliScene,  setupMirrorScene};
    for (int (*setup)() : setups)
        if (!setup()) return 0;
    finishAssetTable();
    return 1;
}

namespace {
// Everything the set-ups hung off the tables. The process ends right after,
// but handing it all back keeps leak checkers quiet and tools that load twice
// honest.
void releaseLoadedContents() {
    if (demo.SceneBank) {
        for (int i = 0; i < sceneBankSize; ++i) {
            Scene* scene = &demo.SceneBank[i];
            for (int k = 0; k < scene->particleSystemCount; ++k)
                delete[] scene->particleSystems[k].particles;
            scene->particleSystemCount = 0;
            for (int k = 0; k < scene->flareSetCount; ++k) std::free(scene->flareSets[k].lenses);
            scene->flareSetCount = 0;
            scene->hookCount = 0;
            releaseSceneContents(scene);
        }
    }
    if (demo.GridLayerTable)
        for (int i = 0; i < gridLayerTableSize; ++i) std::free(demo.GridLayerTable[i].vertices);
    for (Vec3** path : {&demo.darmPath, &demo.ateriePath1, &demo.ateriePath2}) {
        delete[] *path;
        *path = nullptr;
    }
    for (Image** image : {&demo.waterCanvas, &demo.surfaceImage, &demo.waterImage}) {
        releaseImage(*image);
        *image = nullptr;
    }
    delete[] demo.waterOffsetTable;
    demo.waterOffsetTable = nullptr;
    delete[] demo.surfaceTexelTable;
    demo.surfaceTexelTable = nullptr;
}
}  // namespace

void freeAll() {
    releaseLoadedContents();
    freeDemoState();
}
