#include "recorder/draw_recorder.h"

#include <cstdlib>

#include "fx/deformers.h"
#include "fx/grid_layer.h"
#include "fx/morph.h"
#include "fx/overlays.h"
#include "fx/render_scene.h"
#include "fx/switches.h"
#include "fx/water.h"
#include "image/texture_table.h"
#include "scene/scene.h"
#include "scene/texture_slot.h"

// The globals the drawing libraries would own.
GridLayer* GridLayerTable = nullptr;
Scene* SceneBank = nullptr;
TextureSlot* TextureTable = nullptr;

float cullNearZ = -0.1f;
float cullFarZ = -1800;
float sceneBrightness = 1;
int sceneWarpEnabled = 0;
int transparentNoFog = 0;

void resetSceneSwitches() {
    cullNearZ = -0.1f;
    cullFarZ = -1800;
    sceneBrightness = 1;
    sceneWarpEnabled = 0;
    transparentNoFog = 0;
}

namespace recorder {

std::vector<DrawCall>& calls() {
    static std::vector<DrawCall> list;
    return list;
}

void clear() { calls().clear(); }

void resetTables() {
    std::free(GridLayerTable);
    std::free(SceneBank);
    std::free(TextureTable);
    GridLayerTable = static_cast<GridLayer*>(std::calloc(gridLayerTableSize, sizeof(GridLayer)));
    SceneBank = static_cast<Scene*>(std::calloc(sceneBankSize, sizeof(Scene)));
    TextureTable = static_cast<TextureSlot*>(std::calloc(textureTableSize, sizeof(TextureSlot)));
}

std::vector<DrawCall> named(const std::string& name, int target) {
    std::vector<DrawCall> out;
    for (const DrawCall& call : calls())
        if (call.name == name && (target == -2 || call.target == target)) out.push_back(call);
    return out;
}

std::vector<std::string> names() {
    std::vector<std::string> out;
    for (const DrawCall& call : calls()) out.push_back(call.name);
    return out;
}

}  // namespace recorder

namespace {

void record(const char* name, int target, std::vector<float> args, const void* p0 = nullptr,
            const void* p1 = nullptr) {
    recorder::calls().push_back(DrawCall{name, target, std::move(args), {p0, p1}, sceneBrightness,
                                         sceneWarpEnabled, transparentNoFog, cullFarZ});
}

int layerIndex(const GridLayer* layer) { return int(layer - GridLayerTable); }

}  // namespace

void drawGridScaled(GridLayer* layer, float brightness, float a, float b, float c, float time) {
    record("drawGridScaled", layerIndex(layer), {brightness, a, b, c, time});
}
void drawGridOffset(GridLayer* layer, float brightness, float a, float b, float c, float time) {
    record("drawGridOffset", layerIndex(layer), {brightness, a, b, c, time});
}
void drawGridScaledMultiply(GridLayer* layer, float brightness, float a, float b, float c,
                            float time) {
    record("drawGridScaledMultiply", layerIndex(layer), {brightness, a, b, c, time});
}
void drawGridOffsetMultiply(GridLayer* layer, float brightness, float a, float b, float c,
                            float time) {
    record("drawGridOffsetMultiply", layerIndex(layer), {brightness, a, b, c, time});
}

void fadeScreen(float level) { record("fadeScreen", -1, {level}); }
void flashScreen(float level) { record("flashScreen", -1, {level}); }
void maskScreenCells(int n) { record("maskScreenCells", -1, {float(n)}); }

void renderScene(Scene* scene, float time) {
    record("renderScene", int(scene - SceneBank), {time});
}

void morphMeshFramesA(float frame, float weightA, float weightB) {
    record("morphMeshFramesA", -1, {frame, weightA, weightB});
}
void morphMeshFramesB(float frame, float weightA, float weightB) {
    record("morphMeshFramesB", -1, {frame, weightA, weightB});
}
void mirrorRippleVertices(SceneObject* dst, const SceneObject* src, float time) {
    record("mirrorRippleVertices", -1, {time}, dst, src);
}

void generateWaterTexture(Image* canvas, const int32_t* surfaceTexelTable,
                          const uint16_t* waterOffsetTable, float phase) {
    record("generateWaterTexture", -1, {phase}, canvas);
    (void)surfaceTexelTable;
    (void)waterOffsetTable;
}
void generateWaterTextureTransposed(Image* canvas, const int32_t* surfaceTexelTable,
                                    const uint16_t* waterOffsetTable, float phase) {
    record("generateWaterTextureTransposed", -1, {phase}, canvas);
    (void)surfaceTexelTable;
    (void)waterOffsetTable;
}
void uploadImageToTexture(TextureSlot* slot, const Image* image) {
    record("uploadImageToTexture", int(slot - TextureTable), {}, image);
}
