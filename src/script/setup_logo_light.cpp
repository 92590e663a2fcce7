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
    loadSlotRun(0, 1, {"data\\logo-quelltarnlogo.jpg", "data\\logo-opacity.jpg",
                       "data\\logo-background.jpg", "data\\logo-credits.jpg",
                       "data\\logo-vexdrift.jpg", "data\\logo-quelltarn.jpg",
                       "data\\logo-wearegetting.jpg", "data\\black.jpg"});
    buildLayers(layers, rowCount(layers));
    return 1;
}

int setupLightScene() {
    // Light 0 carries the burst's origin and the flare chain.
    Scene* scene = loadSetupScene("data\\light.dat", lightPlace, 10, 0, 1);
    if (!scene) return 0;

    loadSlotRun(10, 0, {"data\\felsen.jpg", "data\\envmap2.jpg", "data\\black.jpg"});
    loadSlotRun(13, 1, {"data\\atom1.jpg", "data\\flare2.jpg", "data\\lens1.jpg", "data\\lens2.jpg",
                        "data\\lens3.jpg", "data\\lens4.jpg", "data\\innenwelt-background.jpg",
                        "data\\innenwelt-opacity.jpg", "data\\innenwelt-vordergrund.jpg",
                        "data\\black.jpg", "data\\envmap.jpg"});

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
