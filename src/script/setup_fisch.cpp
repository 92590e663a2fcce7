// The fish scene with its morph frames (places 10 to 15).
#include "fx/bake.h"
#include "image/texture_table.h"
#include "script/part_table.h"
#include "script/places.h"
#include "script/setup_tables.h"
#include "state/demo_state.h"

int setupFischScene() {
    if (!loadSetupScene("data\\fisch2.dat", fischPlace, 60, 0, 0)) return 0;
    Scene* scene = &demo.SceneBank[fischPlace];
    scene->fogDensity = 0.005f;
    const float fog[4] = {0.1f, 0.1f, 0.2f, 0.5f};
    for (int i = 0; i < 4; ++i) scene->fogColour[i] = fog[i];

    static const char* const morphFiles[] = {"data\\morph1.dat", "data\\morph2.dat",
                                             "data\\morph3.dat", "data\\morph4.dat",
                                             "data\\morph5.dat"};
    for (int i = 0; i < 5; ++i)
        if (!loadSetupScene(morphFiles[i], fischPlace + 1 + i, 60, 0, 0)) return 0;

    loadTwoLayerTextureSlot(&demo.TextureTable[60], "data\\meergrund.jpg", "data\\water.jpg", 0,
                            0.03f);
    loadTwoLayerTextureSlot(&demo.TextureTable[61], "data\\ballfish.jpg", "data\\water.jpg", 0,
                            0.7f);
    static const SlotLoad slots[] = {
        {62, "data\\grass.jpg", 1, plainSlot},
        {63, "data\\waterfx.jpg", 0, plainSlot},
    };
    loadSlots(slots, rowCount(slots));

    bakeNormalYLighting(scene);
    return 1;
}
