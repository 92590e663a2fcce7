// The mirror scene (place 20).
#include "fx/bake.h"
#include "fx/morph.h"
#include "script/part_table.h"
#include "script/places.h"
#include "script/setup_tables.h"

int setupMirrorScene() {
    // Object 2 is the mirror image rebuilt every frame from object 0.
    Scene* scene = loadSetupScene("data\\mirror.dat", mirrorPlace, 80, 3, 0);
    if (!scene) return 0;
    // The fish and mirror frames are all in place now: check that the morph
    // targets and frame sets fit each other before anything draws them.
    if (!checkMorphFrames()) return 0;

    scene->fogDensity = 0.01f;
    for (float& channel : scene->fogColour) channel = 0;

    static const SlotLoad slots[] = {
        {80, "data\\ballfish.jpg", 0, plainSlot},
        {81, "data\\surface.jpg", 1, plainSlot},
        {82, "data\\ballfish.jpg", 0, plainSlot},
    };
    loadSlots(slots, rowCount(slots));

    scaleFaceColours(&scene->objects[2], 0.65f);
    flipFaceWinding(&scene->objects[2]);
    return 1;
}
