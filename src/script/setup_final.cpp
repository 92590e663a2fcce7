// The last loads of the asset table: the plain colour slots and the water.
#include <new>

#include "fx/water.h"
#include "image/bmp.h"
#include "image/texture_table.h"
#include "scene/texture_slot.h"
#include "script/setup.h"
#include "script/setup_tables.h"
#include "state/demo_state.h"

void finishAssetTable() {
    // 98 feeds the screen masks, 99 the wireframe overlay.
    static const SlotLoad slots[] = {
        {97, "data\\white.jpg", 1, plainSlot},
        {98, "data\\black.jpg", 1, plainSlot},
        {wireOverlaySlot, "data\\blue.jpg", 1, plainSlot},
    };
    loadSlots(slots, rowCount(slots));

    // Two independent copies of the surface: the canvas is overwritten by the
    // generated water every frame, the other stays the colour source.
    loadBmpImage("data\\surface.bmp", &demo.waterCanvas);
    loadBmpImage("data\\surface.bmp", &demo.surfaceImage);
    loadBmpImage("data\\water.bmp", &demo.waterImage);

    // A missing picture leaves its table null, and the water parts skip the water.
    if (demo.waterImage) {
        demo.waterOffsetTable = new (std::nothrow) uint16_t[waterTexels];
        buildWaterOffsetTable(demo.waterImage, demo.waterOffsetTable);
    }
    if (demo.surfaceImage) {
        demo.surfaceTexelTable = new (std::nothrow) int32_t[waterTexels];
        buildSurfaceTexelTable(demo.surfaceImage, demo.surfaceTexelTable);
    }
}
