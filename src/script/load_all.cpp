#include <cstdlib>
#include <initializer_list>

#include "fx/grid_layer.h"
#include "scene/scene.h"
#include "scene/scene_file.h"
#include "scene/texture_slot.h"
#include "script/setup.h"

int loadAll() {
    // Zero-filled, so entries no set-up fills read as empty rather than garbage.
    TextureTable = static_cast<TextureSlot*>(std::calloc(textureTableSize, sizeof(TextureSlot)));
    GridLayerTable = static_cast<GridLayer*>(std::calloc(gridLayerTableSize, sizeof(GridLayer)));
    SceneBank = static_cast<Scene*>(std::calloc(sceneBankSize, sizeof(Scene)));
    if (!TextureTable || !GridLayerTable || !SceneBank) return 0;

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
    if (SceneBank) {
        for (int i = 0; i < sceneBankSize; ++i) {
            Scene* scene = &SceneBank[i];
            for (int k = 0; k < scene->particleSystemCount; ++k)
                delete[] scene->particleSystems[k].particles;
            scene->particleSystemCount = 0;
            for (int k = 0; k < scene->flareSetCount; ++k) std::free(scene->flareSets[k].lenses);
            scene->flareSetCount = 0;
            scene->hookCount = 0;
            releaseSceneContents(scene);
        }
    }
    if (GridLayerTable)
        for (int i = 0; i < gridLayerTableSize; ++i) std::free(GridLayerTable[i].vertices);
    for (Vec3** path : {&darmPath, &ateriePath1, &ateriePath2}) {
        delete[] *path;
        *path = nullptr;
    }
    for (Image** image : {&waterCanvas, &surfaceImage, &waterImage}) {
        releaseImage(*image);
        *image = nullptr;
    }
    delete[] waterOffsetTable;
    waterOffsetTable = nullptr;
    delete[] surfaceTexelTable;
    surfaceTexelTable = nullptr;
}
}  // namespace

void freeAll() {
    releaseLoadedContents();
    std::free(TextureTable);
    TextureTable = nullptr;
    std::free(GridLayerTable);
    GridLayerTable = nullptr;
    std::free(SceneBank);
    SceneBank = nullptr;
}
