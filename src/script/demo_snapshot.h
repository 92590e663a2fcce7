#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// The demo between two frames, kept to come back to: everything a frame may
// change, so that putting it back and drawing on gives the frames drawn from
// there the first time. A seek uses it to play the timeline forward from the
// nearest kept moment instead of from the start.
//
// What frames change, all in the demo record or hung off it: the record
// itself (clock, switches, random sequence), the three tables, the scenes'
// cameras, objects (vertices, normals, faces with their colours and texture
// coordinates, track cursors), lights and spots, the particles, the grid
// layers' vertices and the water canvas. What loading alone writes (track
// keys, paths, lens chains, the water tables and source pictures, the GL
// textures) stays where it is.

struct SnapshotBlock {
    void* at;
    size_t size;
};

// Where those things lie, taken once right after loading (while the particle
// counts are still the sizes the systems were made with) and valid until the
// demo is freed.
struct SnapshotLayout {
    std::vector<SnapshotBlock> blocks;  // the demo record first
    size_t bytes = 0;                   // all blocks together
};

SnapshotLayout layoutLoadedDemo();

// All blocks, one after the other.
struct DemoSnapshot {
    std::vector<unsigned char> bytes;
};

void takeSnapshot(const SnapshotLayout& layout, DemoSnapshot* snapshot);

// Puts a snapshot back. The keys are the viewer's, not the demo's: they stay
// as they are now.
void restoreSnapshot(const SnapshotLayout& layout, const DemoSnapshot& snapshot);

// A snapshot as the pages (snapshotPageBytes each) where it differs from an
// earlier one: a few seconds of play change a small part of the whole (the
// scene on screen, its particles), so a chain of them costs far less than
// whole snapshots.
enum : size_t { snapshotPageBytes = 4096 };

struct SnapshotChanges {
    std::vector<uint32_t> pages;       // page numbers, rising
    std::vector<unsigned char> bytes;  // their new contents, in that order (the last may be short)
};

// Brings `last` (a snapshot of this layout) up to the demo as it stands and
// says which of its pages that changed: a snapshot taken now, told as its
// differences from `last`, without copying the pages that did not change.
void keepChanges(const SnapshotLayout& layout, DemoSnapshot* last, SnapshotChanges* changes);
// Turns `before` into `after`.
void applyChanges(const SnapshotChanges& changes, DemoSnapshot* snapshot);
