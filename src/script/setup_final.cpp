// The last loads of the asset table: the plain colour slots and the water.
#include <cstring>

#include "fx/water.h"
#include "image/bmp.h"
#include "image/image.h"
#include "platform/report_error.h"
#include "image/texture_table.h"
#include "scene/texture_slot.h"
#include "script/setup.h"
#include "script/setup_tables.h"
#include "state/demo_memory.h"
#include "state/demo_state.h"

namespace {

// A BMP picture moved into one of the demo's arenas (the decoder's own copy is
// given back at once). Null, reported, when the file cannot be read or the
// arena is full.
Image* keepPicture(const char* path, DemoMemory where) {
    Image* decoded = loadBmpImage(path, nullptr);
    if (!decoded) return nullptr;
    const int rows = decoded->height < 0 ? -decoded->height : decoded->height;
    const size_t bytes = size_t(decoded->width) * size_t(rows) * 3;
    Image* kept = takeDemoArray<Image>(where, 1);
    unsigned char* pixels = takeDemoArray<unsigned char>(where, bytes);
    if (kept && pixels) {
        *kept = *decoded;
        kept->pixels = pixels;
        std::memcpy(pixels, decoded->pixels, bytes);
    } else {
        kept = nullptr;
        reportError("the water pictures: out of memory");
    }
    releaseImage(decoded);
    return kept;
}

}  // namespace

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
    demo.waterCanvas = keepPicture("data\\surface.bmp", DemoMemory::changing);
    demo.surfaceImage = keepPicture("data\\surface.bmp", DemoMemory::fixed);
    demo.waterImage = keepPicture("data\\water.bmp", DemoMemory::fixed);

    // A missing picture leaves its table null, and the water parts skip the water.
    if (demo.waterImage) {
        demo.waterOffsetTable = takeDemoArray<uint16_t>(DemoMemory::fixed, waterTexels);
        buildWaterOffsetTable(demo.waterImage, demo.waterOffsetTable);
    }
    if (demo.surfaceImage) {
        demo.surfaceTexelTable = takeDemoArray<int32_t>(DemoMemory::fixed, waterTexels);
        buildSurfaceTexelTable(demo.surfaceImage, demo.surfaceTexelTable);
    }
}
