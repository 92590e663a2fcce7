// The light scene (place 0), its burst and its flares.
#include "fx/bake.h"
#include "fx/grid_movers.h"
#include "fx/particle_kinds.h"
#include "fx/particles.h"
#include "image/flare_config.h"
#include "script/part_table.h"
#include "script/places.h"
#include "script/setup_tables.h"

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
