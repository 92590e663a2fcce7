// The kopuli scene (place 6).
#include "fx/deformers.h"
#include "fx/particles.h"
#include "script/part_table.h"
#include "script/places.h"
#include "script/setup_tables.h"
#include "state/demo_state.h"

int setupKopuliScene() {
    static const char file[] = "data\\kopuli.dat";
    Scene* scene = loadSetupScene(file, kopuliPlace, 70, 0, 0);
    if (!scene) return 0;

    static const SlotLoad slots[] = {
        {70, "data\\envmap5.jpg", 0, envMapSlot},
        {71, "data\\envmap4.jpg", 0, plainSlot},
    };
    loadSlots(slots, rowCount(slots));

    SceneObject* target = requireObjectWithSlot(file, kopuliPlace, 71);
    if (!target) return 0;
    addSceneHook(scene, target, &demo.DemoClock.partTime, rippleTwoCentres);
    return 1;
}
