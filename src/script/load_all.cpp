#include <cstdio>
#include <initializer_list>

#include "platform/report_error.h"
#include "script/setup.h"
#include "script/timeline.h"
#include "state/demo_memory.h"
#include "state/demo_state.h"

namespace {
// After a set-up stopped: when an arena refused room, say which and by how
// much (each refusal named what it was loading already).
void reportArenaShortage() {
    static const struct {
        DemoMemory which;
        const char* name;
    } arenas[] = {{DemoMemory::changing, "changing"}, {DemoMemory::fixed, "fixed"}};
    for (const auto& named : arenas) {
        const DemoArena& a = demoArena(named.which);
        if (a.refusedBytes == 0) continue;
        const unsigned long capacityMb = (unsigned long)(a.capacity >> 20);
        char text[200];
        if (a.blockRefused)
            std::snprintf(text, sizeof text,
                          "the demo's %s memory (%lu MB) could not be had from the system",
                          named.name, capacityMb);
        else
            std::snprintf(text, sizeof text,
                          "the demo's %s memory is full: %.1f of its %lu MB taken, %.1f MB more "
                          "asked; this data needs more than the program holds room for",
                          named.name, double(a.used) / (1 << 20), capacityMb,
                          double(a.refusedBytes) / (1 << 20));
        reportError(text);
    }
}
}  // namespace

int loadAll() {
    if (!makeDemoState()) {
        reportArenaShortage();
        return 0;
    }

    for (int order = 0; order < partCount; ++order)
        for (const PartRow& row : partTable)
            if (row.setup && row.setupOrder == order && !row.setup()) {
                reportArenaShortage();
                return 0;
            }
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
