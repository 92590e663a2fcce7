#include <cstdlib>

#include "fx/grid_layer.h"
#include "scene/scene.h"
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

void freeAll() {
    std::free(TextureTable);
    TextureTable = nullptr;
    std::free(GridLayerTable);
    GridLayerTable = nullptr;
    std::free(SceneBank);
    SceneBank = nullptr;
}
