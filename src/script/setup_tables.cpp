#include "script/setup_tables.h"

#include <cstdio>

#include "image/texture_table.h"
#include "platform/report_error.h"
#include "scene/scene_file.h"
#include "scene/texture_slot.h"
#include "state/demo_state.h"

void loadSlots(const SlotLoad* rows, int count) {
    for (int i = 0; i < count; ++i) {
        const SlotLoad& row = rows[i];
        TextureSlot* slot = &demo.TextureTable[row.slot];
        if (row.loader == envMapSlot)
            loadEnvMapTextureSlot(slot, row.file, row.opacity);
        else
            loadTextureSlot(slot, row.file, row.opacity);
    }
}

void loadSlotRun(int firstSlot, float opacity, std::initializer_list<const char*> files) {
    int slot = firstSlot;
    for (const char* file : files) loadTextureSlot(&demo.TextureTable[slot++], file, opacity);
}

void buildLayers(const LayerRow* rows, int count) {
    for (int i = 0; i < count; ++i) {
        const LayerRow& row = rows[i];
        buildGridLayer(&demo.GridLayerTable[row.layer], row.x0, row.y0, row.x1, row.y1, -1.0f,
                       row.u0, row.v0, row.u1, row.v1, row.columns, row.rows, row.slot,
                       row.mover);
    }
}

Scene* loadSetupScene(const char* file, int place, int textureBase, int objectsNeeded,
                      int lightsNeeded) {
    Scene* scene = &demo.SceneBank[place];
    if (!loadSceneFile(file, scene, textureBase)) return nullptr;
    if (scene->objectCount >= objectsNeeded && scene->lightCount >= lightsNeeded) return scene;
    char text[200];
    std::snprintf(text, sizeof text, "%s: needs %d objects and %d lights, holds %d and %d",
                  file, objectsNeeded, lightsNeeded, scene->objectCount, scene->lightCount);
    reportError(text);
    return nullptr;
}

SceneObject* requireObjectWithSlot(const char* file, int place, int slot) {
    SceneObject* object = findSceneObject(&demo.SceneBank[place], slot);
    if (!object) {
        char text[200];
        std::snprintf(text, sizeof text, "%s: no object uses texture slot %d", file, slot);
        reportError(text);
    }
    return object;
}
