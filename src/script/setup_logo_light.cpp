// The title pictures and the light scene (place 0).
#include "fx/bake.h"
#include "fx/grid_movers.h"
#include "fx/particle_kinds.h"
#include "fx/particles.h"
#include "image/flare_config.h"
#include "script/places.h"
#include "script/setup.h"
#include "script/setup_tables.h"
#include "state/demo_state.h"

int setupLogoAssets() {
    static const SlotLoad slots[] = {
        {0, "data\\logo-quelltarnlogo.jpg", 1, plainSlot},
        {1, "data\\logo-opacity.jpg", 1, plainSlot},
        {2, "data\\logo-background.jpg", 1, plainSlot},
        {3, "data\\logo-credits.jpg", 1, plainSlot},
        {4, "data\\logo-vexdrift.jpg", 1, plainSlot},
        {5, "data\\logo-quelltarn.jpg", 1, plainSlot},
        {6, "data\\logo-wearegetting.jpg", 1, plainSlot},
        {7, "data\\black.jpg", 1, plainSlot},
    };
    static const LayerRow layers[] = {
        {0, -0.8f, -0.55f, 0.8f, 0.55f, 0, 0, 1, 1, 10, 10, 0, gridVertexWobble},
        {1, -0.8f, -0.55f, 0.8f, 0.55f, 0, 0, 1, 1, 10, 10, 1, gridVertexWobble},
        {2, -1.1f, -1.1f, 1.1f, 1.1f, 0, 0, 1, 1, 10, 10, 2, gridVertexWobble},
        {3, -0.41f, 0.25f, 1.15f, 0.52f, 0, 0, 1, 1, 10, 10, 3, gridVertexDrift},
        {4, -1.03f, 0.05f, -0.25f, 0.61f, 0, 0, 1, 1, 10, 10, 4, gridVertexDrift},
        {5, -0.1f, -0.59f, 1.5f, -0.3f, 0, 0, 1, 1, 10, 10, 5, gridVertexDrift},
        {6, -0.68f, -0.52f, 0.22f, -0.38f, 0, 0, 1, 1, 10, 10, 6, gridVertexDrift},
        {7, -1.5f, -1.5f, 1.5f, 1.5f, 0, 0, 1, 1, 10, 10, 2, gridVertexWobble},
    };
    loadSlots(slots, rowCount(slots));
    buildLayers(layers, rowCount(layers));
    return 1;
}

int setupLightScene() {
    static const char file[] = "data\\light.dat";
    // Light 0 carries the burst's origin and the flare chain.
    if (!loadSetupScene(file, lightPlace, 10, 0, 1)) return 0;
    Scene* scene = &demo.SceneBank[lightPlace];

    static const SlotLoad slots[] = {
        {10, "data\\felsen.jpg", 0, plainSlot},
        {11, "data\\envmap2.jpg", 0, plainSlot},
        {12, "data\\black.jpg", 0, plainSlot},
        {13, "data\\atom1.jpg", 1, plainSlot},
        {14, "data\\flare2.jpg", 1, plainSlot},
        {15, "data\\lens1.jpg", 1, plainSlot},
        {16, "data\\lens2.jpg", 1, plainSlot},
        {17, "data\\lens3.jpg", 1, plainSlot},
        {18, "data\\lens4.jpg", 1, plainSlot},
        {19, "data\\innenwelt-background.jpg", 1, plainSlot},
        {20, "data\\innenwelt-opacity.jpg", 1, plainSlot},
        {21, "data\\innenwelt-vordergrund.jpg", 1, plainSlot},
        {22, "data\\black.jpg", 1, plainSlot},
        {23, "data\\envmap.jpg", 1, plainSlot},
    };
    loadSlots(slots, rowCount(slots));

    addParticleSystem(scene, &scene->lights[0].worldPosition, 1500, initBurstParticle,
                      updateBurstParticle, 13);

    static const LayerRow layers[] = {
        {10, -1, -1, 1, 1, 0, 0, 1, 1, 2, 2, 19, gridVertexStill},
        {11, -1, -1, 1, 1, 0, 0, 1, 1, 2, 2, 20, gridVertexStill},
        {12, -1, -1, 1, 1, 0, 0, 1, 1, 2, 2, 21, gridVertexStill},
        {13, -4, -4, 4, 4, 0, 0, 2, 2, 30, 30, 23, gridVertexRipple},
    };
    buildLayers(layers, rowCount(layers));

    bakePointLighting(scene);
    loadFlareConfig(scene, "data\\flare.cfg", &scene->lights[0].viewPosition);
    return 1;
}
