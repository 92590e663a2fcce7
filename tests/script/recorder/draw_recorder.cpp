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
#include "scene/evaluate.h"
#include "scene/scene.h"
#include "scene/texture_slot.h"
#include "script/places.h"
#include "state/demo_state.h"

namespace recorder {

std::vector<DrawCall>& calls() {
    static std::vector<DrawCall> list;
    return list;
}

void clear() { calls().clear(); }

namespace {
bool unseen = false;
}

void playUnseen(bool on) { unseen = on; }

void resetTables() {
    unseen = false;
    // A fresh record, as the demo makes it: start values, empty tables.
    freeDemoState();
    makeDemoState();
    // The set-ups give the places the bodies write to their tables.
    for (int place : {lightPlace, neuronalPlace, ateriePlace, darmPlace, kopuliPlace, fischPlace,
                      mirrorPlace})
        takeSceneTables(&demo.SceneBank[place]);
    // And the light scene's flare set and the darm scene's swarms (the heads
    // are its system 1) that the bodies steer.
    demo.SceneBank[lightPlace].flareSetCount = 1;
    demo.SceneBank[darmPlace].particleSystemCount = 2;
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
    recorder::calls().push_back(DrawCall{name, target, std::move(args), {p0, p1},
                                         demo.sceneBrightness, demo.sceneWarpEnabled,
                                         demo.transparentNoFog, demo.cullFarZ});
}

int layerIndex(const GridLayer* layer) { return int(layer - demo.GridLayerTable); }

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
    record("renderScene", int(scene - demo.SceneBank), {time});
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
bool verticesEvaluated() { return !recorder::unseen; }

void uploadImageToTexture(TextureSlot* slot, const Image* image) {
    record("uploadImageToTexture", int(slot - demo.TextureTable), {}, image);
}
