// The aterie scene (place 2).
#include "fx/bake.h"
#include "fx/deformers.h"
#include "fx/grid_movers.h"
#include "fx/particle_kinds.h"
#include "fx/particles.h"
#include "script/part_table.h"
#include "script/places.h"
#include "script/setup_tables.h"
#include "script/tempered_picture.h"
#include "state/demo_state.h"
#include "state/gentle_mode.h"

int setupAterieScene() {
    // Object 0 wobbles; lights 7 and 8 trace the two particle clouds.
    Scene* scene = loadSetupScene("data\\aterie.dat", ateriePlace, 31, 1, 9);
    if (!scene) return 0;

    bakeSoftLighting(scene);

    static const SlotLoad mapSlots[] = {
        {31, "data\\aterie-map.jpg", 0, plainSlot},
        {32, "data\\blut2.jpg", 1, plainSlot},
    };
    loadSlots(mapSlots, rowCount(mapSlots));
    // The wall and the blood cells are saturated reds: as the cells stream
    // past the camera, patches of the picture would flash red. Gentle play
    // draws them tempered.
    if (gentleMode.on || gentleMode.chosenAtPlay) {
        const int twins[2] = {temperedWallSlot, temperedBloodSlot};
        for (int i = 0; i < 2; ++i)
            loadTemperedTwin(&demo.TextureTable[twins[i]], &demo.TextureTable[mapSlots[i].slot],
                             mapSlots[i].file);
    }

    addSceneHook(scene, &scene->objects[0], &demo.DemoClock.partTime, wobbleVertices);

    loadSlotRun(33, 1, {"data\\embryo-f.jpg", "data\\fishpic.jpg", "data\\jesus.jpg",
                        "data\\embryo-o.jpg", "data\\text-light.jpg", "data\\text-flyout.jpg"});

    static const LayerRow layers[] = {
        {33, -1.1f, -1.1f, 1.1f, 1.1f, 0, 0, 1, 1, 20, 20, 33, gridVertexWobble},
        {34, -1, -1, 1, 1, 0, 0, 1, 1, 20, 20, 34, gridVertexStill},
        {35, -1.1f, -1.1f, 1.1f, 1.1f, 0, 0, 1, 1, 20, 20, 35, gridVertexStill},
        {36, -1.1f, -1.1f, 1.1f, 1.1f, 0, 0, 1, 1, 20, 20, 36, gridVertexWobble},
        {37, -1, -1, 0.8f, 0, 0, 0, 1, 1, 20, 20, 37, gridVertexStill},
        {38, -1.6f, -1.5f, 1.4f, 0.3f, 0, 0, 1, 1, 20, 20, 37, gridVertexStill},
        {39, -0.5f, 0.1f, 1, 1, 0, 0, 1, 1, 20, 20, 38, gridVertexStill},
        {50, -1, -0.5f, 1.5f, 1.5f, 0, 0, 1, 1, 20, 20, 38, gridVertexStill},
    };
    buildLayers(layers, rowCount(layers));

    scene->fogDensity = 0.001f;
    for (float& channel : scene->fogColour) channel = 0;

    samplePath(&demo.ateriePath1, &scene->lights[7].positionTrack, 3000);
    if (!demo.ateriePath1) return 0;
    addParticleSystem(scene, demo.ateriePath1, 3000, initPathCloudParticle, updatePathCloudParticle,
                      32);
    samplePath(&demo.ateriePath2, &scene->lights[8].positionTrack, 3000);
    if (!demo.ateriePath2) return 0;
    addParticleSystem(scene, demo.ateriePath2, 3000, initPathCloudParticle, updatePathCloudParticle,
                      32);
    return 1;
}
