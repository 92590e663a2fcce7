// The neuronal scene (place 1).
#include "fx/grid_movers.h"
#include "fx/particle_kinds.h"
#include "fx/particles.h"
#include "image/flare_config.h"
#include "script/part_table.h"
#include "script/places.h"
#include "script/setup_tables.h"

int setupNeuronalScene() {
    // Lights 0 and 1 each carry a burst and a flare chain.
    Scene* scene = loadSetupScene("data\\neuronal.dat", neuronalPlace, 25, 0, 2);
    if (!scene) return 0;

    loadSlotRun(25, 1, {"data\\netz-map.jpg", "data\\netz-back.jpg", "data\\netz-flare.jpg",
                        "data\\helmchen.jpg", "data\\helm-op.jpg", "data\\text-greetings.jpg"});

    for (int light = 0; light < 2; ++light)
        addParticleSystem(scene, &scene->lights[light].worldPosition, 100,
                          initLightBurstParticle, updateLightBurstParticle, 27);
    for (int light = 0; light < 2; ++light)
        loadFlareConfig(scene, "data\\flare.cfg", &scene->lights[light].viewPosition);

    scene->fogDensity = 0.00005f;

    static const LayerRow layers[] = {
        {helmetLayer, -1.1f, -1, 0.2f, 1, 0, 0, 1, 1, 2, 2, 28, gridVertexStill},
        {helmetMaskLayer, -1.1f, -1, 0.2f, 1, 0, 0, 1, 1, 2, 2, 29, gridVertexStill},
        {32, 0, -1.2f, 1, 1.2f, 0, 0, 1, 1, 10, 10, 30, gridVertexWobble},
    };
    buildLayers(layers, rowCount(layers));
    return 1;
}
