// The darm scene (place 5), its swarms, and the layers parts 2, 5 and 7 share.
#include "fx/deformers.h"
#include "fx/grid_movers.h"
#include "fx/particle_kinds.h"
#include "fx/particles.h"
#include "script/part_table.h"
#include "script/places.h"
#include "script/setup_tables.h"
#include "state/demo_state.h"

namespace {

const SlotLoad darmSlots[] = {
    {40, "data\\envmap.jpg", 1, envMapSlot},
    {41, "data\\envmap2.jpg", 1, plainSlot},
    {42, "data\\flare5.jpg", 1, plainSlot},
    {43, "data\\netz-flare.jpg", 1, plainSlot},
    {44, "data\\flare2.jpg", 1, plainSlot},
    {45, "data\\flare3.jpg", 1, plainSlot},
    {46, "data\\flare4.jpg", 1, plainSlot},
    {47, "data\\black.jpg", 1, plainSlot},
    {48, "data\\monks-op.jpg", 1, plainSlot},
    {49, "data\\monks.jpg", 1, plainSlot},
    {50, "data\\text-checkourgift.jpg", 1, plainSlot},
    {51, "data\\text-webringyoudemo.jpg", 1, plainSlot},
    {52, "data\\text-tarndrifting.jpg", 1, plainSlot},
    {53, "data\\black.jpg", 1, plainSlot},
    {54, "data\\fader.jpg", 1, plainSlot},
    {55, "data\\vogel-op.jpg", 1, plainSlot},
    {56, "data\\vogel.jpg", 1, plainSlot},
    {57, "data\\text-scream.jpg", 1, plainSlot},
    {58, "data\\feuer-opacity.jpg", 1, plainSlot},
    {59, "data\\feuer-spucker.jpg", 1, plainSlot},
    {90, "data\\text-wewant.jpg", 1, plainSlot},
    {91, "data\\text-inside.jpg", 1, plainSlot},
    {92, "data\\text-outside.jpg", 1, plainSlot},
    {93, "data\\text-vexdrift.jpg", 1, plainSlot},
};

// Their order fixes their indices: the choreography and the repel hook
// address the five heads as system 1.
struct SwarmRow {
    int count;
    ParticleInitFn init;
    ParticleUpdateFn update;
    int slot;
};
const SwarmRow darmSwarms[] = {
    {300, initPathSwarmParticle, updatePathSwarmParticle, 44},
    {5, initPathHeadParticle, updatePathHeadParticle, 43},
    {300, initPathSwarmParticle, updatePathSwarmParticle, 45},
    {300, initPathSwarmParticle, updatePathSwarmParticle, 46},
    {1500, initPathSwarmParticle, updatePathSwarmParticle, 42},
};

const LayerRow darmLayers[] = {
    {20, -0.3f, -1, 1.7f, 1, 0, 0, 1, 1, 2, 2, 47, gridVertexStill},
    {21, 0.35f, -1, 1.1f, 1, 0, 0, 1, 1, 2, 2, 48, gridVertexStill},
    {22, 0.35f, -1, 1.1f, 1, 0, 0, 1, 1, 2, 2, 49, gridVertexStill},
    {23, 0.35f, -1, 1.1f, 1, 0, 0, 1, 1, 2, 2, 53, gridVertexStill},
    {24, -1.1f, -1, 1.1f, -0.5f, 0, 0, 1, 1, 2, 2, 50, gridVertexStill},
    {25, -1.1f, -0.9f, 1.1f, -0.4f, 0, 0, 1, 1, 2, 2, 51, gridVertexStill},
    {26, -1, -4, -0.7f, 4, 0, 0, 1, 1, 2, 2, 52, gridVertexStill},
    {wipeFirstLayer, -1, -1, 1, 1, 0, 0, 1, 0.99f, 2, 2, 54, gridVertexStill},
    {wipeSecondLayer, -1, -1, 1, 1, 1, 0.99f, 0, 0, 2, 2, 54, gridVertexStill},
    {40, -0.3f, -1, 1.5f, 1, 0, 0, 1, 1, 2, 2, 55, gridVertexStill},
    {41, -0.3f, -1, 1.5f, 1, 0, 0, 1, 1, 2, 2, 56, gridVertexStill},
    {42, -1, -1, 1, -0.7f, 0, 0, 1, 1, 2, 2, 57, gridVertexStill},
    {43, -2, -1.5f, 2, -0.6f, 0, 0, 1, 1, 2, 2, 57, gridVertexStill},
    {44, -0.3f, -1, 1, 1, 0, 0, 1, 1, 2, 2, 58, gridVertexStill},
    {45, -0.3f, -1, 1, 1, 0, 0, 1, 1, 2, 2, 59, gridVertexStill},
    {46, -1, -1, 1, -0.7f, 0, 0, 1, 1, 2, 2, 90, gridVertexStill},
    {47, -2, -1.5f, 2, -0.6f, 0, 0, 1, 1, 2, 2, 90, gridVertexStill},
    {48, -2.3f, -1.8f, 2.3f, -0.4f, 0, 0, 1, 1, 2, 2, 90, gridVertexStill},
    {insideWordsLayer, -1, 0.5f, 1, 1, 0, 0, 1, 1, 2, 2, 91, gridVertexStill},
    {outsideWordsLayer, 0.5f, -2, 1, 2, 0, 0, 1, 1, 2, 2, 92, gridVertexStill},
    {insideWordsWideLayer, -1.1f, 0.4f, 1.1f, 1.1f, 0, 0, 1, 1, 2, 2, 91, gridVertexStill},
    {54, -0.9f, -0.9f, 0.9f, -0.1f, 0, 0, 1, 1, 2, 2, 93, gridVertexStill},
    {55, -2, -1.5f, 2, 0.5f, 0, 0, 1, 1, 2, 2, 93, gridVertexStill},
};

}  // namespace

int setupDarmScene() {
    static const char file[] = "data\\darm.dat";
    // Light 0 traces the path of every swarm.
    if (!loadSetupScene(file, darmPlace, 40, 0, 1)) return 0;
    Scene* scene = &demo.SceneBank[darmPlace];
    scene->fogDensity = 0;
    for (float& channel : scene->fogColour) channel = 0;

    loadSlots(darmSlots, rowCount(darmSlots));

    samplePath(&demo.darmPath, &scene->lights[0].positionTrack, 3000);
    if (!demo.darmPath) return 0;
    for (const SwarmRow& swarm : darmSwarms)
        addParticleSystem(scene, demo.darmPath, swarm.count, swarm.init, swarm.update, swarm.slot);

    buildLayers(darmLayers, rowCount(darmLayers));

    // The hook reads the heads through their table entry, so the count the
    // choreography writes there takes effect at once.
    SceneObject* target = requireObjectWithSlot(file, darmPlace, 40);
    if (!target) return 0;
    addSceneHook(scene, target, &scene->particleSystems[1], repelVerticesFromParticles);
    return 1;
}
