#include <initializer_list>

#include "script/setup.h"
#include "script/timeline.h"
#include "state/demo_state.h"

int loadAll() {
    if (!makeDemoState()) return 0;

    for (int order = 0; order < partCount; ++order)
        for (const PartRow& row : partTable)
            if (row.setup && row.setupOrder == order && !row.setup()) return 0;
    finishAssetTable();
    return 1;
}

void freeAll() {
    // Everything the set-ups made lives in the demo's arenas, which
    // freeDemoState empties; the record keeps no pointer into them.
    for (Vec3** path : {&demo.darmPath, &demo.ateriePath1, &demo.ateriePath2}) *path = nullptr;
    for (Image** image : {&demo.waterCanvas, &demo.surfaceImage, &demo.waterImage}) *image = nullptr;
    demo.waterOffsetTable = nullptr;
    demo.surfaceTexelTable = nullptr;
    freeDemoState();
}
