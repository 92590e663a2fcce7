#include "script/demo_snapshot.h"

#include <cstring>

#include "fx/grid_layer.h"
#include "image/image.h"
#include "scene/particle_views.h"
#include "scene/scene.h"
#include "scene/texture_slot.h"
#include "state/demo_state.h"

namespace {

template <typename T>
void add(SnapshotLayout* layout, T* at, long count) {
    if (!at || count <= 0) return;
    const size_t size = sizeof(T) * size_t(count);
    layout->blocks.push_back({at, size});
    layout->bytes += size;
}

bool sceneInUse(const Scene& s) {
    return s.camera || s.objectCount > 0 || s.lightCount > 0 || s.spotCount > 0 ||
           s.particleSystemCount > 0 || s.hookCount > 0 || s.flareSetCount > 0;
}

void addScene(SnapshotLayout* layout, Scene* scene) {
    add(layout, scene, 1);
    add(layout, scene->camera, 1);
    add(layout, scene->objects, scene->objectCount);
    for (int i = 0; i < scene->objectCount; ++i) {
        SceneObject* o = &scene->objects[i];
        add(layout, o->baseVertices, o->vertexCount);
        add(layout, o->viewVertices, o->vertexCount);
        add(layout, o->normals, o->vertexCount);
        add(layout, o->normalScale, o->vertexCount);
        add(layout, o->faces, o->faceCount);
    }
    add(layout, scene->lights, scene->lightCount);
    add(layout, scene->spots, scene->spotCount);
    for (int k = 0; k < scene->particleSystemCount; ++k)
        add(layout, scene->particleSystems[k].particles, scene->particleSystems[k].count);
}

// Whether n bytes are the same, 32 at a time. The page's C library compares
// byte by byte, and each moment kept compares the whole demo.
bool sameBytes(const unsigned char* a, const unsigned char* b, size_t n) {
    size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        uint64_t x[4], y[4];
        std::memcpy(x, a + i, 32);
        std::memcpy(y, b + i, 32);
        if (((x[0] ^ y[0]) | (x[1] ^ y[1]) | (x[2] ^ y[2]) | (x[3] ^ y[3])) != 0) return false;
    }
    for (; i < n; ++i)
        if (a[i] != b[i]) return false;
    return true;
}

}  // namespace

SnapshotLayout layoutLoadedDemo() {
    SnapshotLayout layout;
    add(&layout, &demo, 1);
    add(&layout, demo.TextureTable, demo.TextureTable ? textureTableSize : 0);
    if (demo.GridLayerTable) {
        add(&layout, demo.GridLayerTable, gridLayerTableSize);
        for (int i = 0; i < gridLayerTableSize; ++i)
            add(&layout, demo.GridLayerTable[i].vertices, demo.GridLayerTable[i].vertexCount);
    }
    if (demo.SceneBank)
        for (int i = 0; i < sceneBankSize; ++i)
            if (sceneInUse(demo.SceneBank[i])) addScene(&layout, &demo.SceneBank[i]);
    if (const Image* canvas = demo.waterCanvas) {
        const int rows = canvas->height < 0 ? -canvas->height : canvas->height;
        add(&layout, canvas->pixels, long(canvas->width) * rows * 3);
    }
    return layout;
}

void takeSnapshot(const SnapshotLayout& layout, DemoSnapshot* snapshot) {
    settleParticleViews();
    snapshot->bytes.resize(layout.bytes);
    unsigned char* to = snapshot->bytes.data();
    for (const SnapshotBlock& b : layout.blocks) {
        std::memcpy(to, b.at, b.size);
        to += b.size;
    }
}

void restoreSnapshot(const SnapshotLayout& layout, const DemoSnapshot& snapshot) {
    if (snapshot.bytes.size() != layout.bytes) return;
    forgetParticleViews();
    int keys[256];
    std::memcpy(keys, demo.KeyState, sizeof keys);
    const unsigned char* from = snapshot.bytes.data();
    for (const SnapshotBlock& b : layout.blocks) {
        std::memcpy(b.at, from, b.size);
        from += b.size;
    }
    std::memcpy(demo.KeyState, keys, sizeof keys);
}

void keepChanges(const SnapshotLayout& layout, DemoSnapshot* last, SnapshotChanges* changes) {
    settleParticleViews();
    changes->pages.clear();
    changes->bytes.clear();
    if (last->bytes.size() != layout.bytes) {
        // Nothing to compare with: all of it is new.
        takeSnapshot(layout, last);
        for (size_t at = 0; at < layout.bytes; at += snapshotPageBytes)
            changes->pages.push_back(uint32_t(at / snapshotPageBytes));
        changes->bytes = last->bytes;
        return;
    }
    unsigned char* kept = last->bytes.data();
    size_t at = 0;
    for (const SnapshotBlock& b : layout.blocks) {
        const unsigned char* live = static_cast<const unsigned char*>(b.at);
        for (size_t done = 0; done < b.size;) {
            const size_t pageEnd = (at / snapshotPageBytes + 1) * snapshotPageBytes;
            const size_t n = b.size - done < pageEnd - at ? b.size - done : pageEnd - at;
            if (!sameBytes(kept + at, live + done, n)) {
                std::memcpy(kept + at, live + done, n);
                const uint32_t page = uint32_t(at / snapshotPageBytes);
                if (changes->pages.empty() || changes->pages.back() != page)
                    changes->pages.push_back(page);
            }
            at += n;
            done += n;
        }
    }
    for (uint32_t page : changes->pages) {
        const size_t from = size_t(page) * snapshotPageBytes;
        const size_t to = from + snapshotPageBytes < at ? from + snapshotPageBytes : at;
        changes->bytes.insert(changes->bytes.end(), kept + from, kept + to);
    }
}

void applyChanges(const SnapshotChanges& changes, DemoSnapshot* snapshot) {
    const size_t size = snapshot->bytes.size();
    const unsigned char* from = changes.bytes.data();
    for (uint32_t page : changes.pages) {
        const size_t at = size_t(page) * snapshotPageBytes;
        if (at >= size) return;
        const size_t n = size - at < snapshotPageBytes ? size - at : snapshotPageBytes;
        std::memcpy(snapshot->bytes.data() + at, from, n);
        from += n;
    }
}
