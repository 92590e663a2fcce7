#pragma once
#include <cstddef>

// Where everything loading makes lives: two arenas, taken from once when the
// demo loads and emptied only when it is made anew (or freed), so nothing is
// allocated while frames run and nothing is given back one piece at a time.
//
// - changing: whatever the frames write. It begins with the record `demo`
//   itself (state/demo_state.h), then the three tables, the scenes' cameras,
//   objects, vertices, normals, faces, lights, spots and particles, the grid
//   layers' vertices, the water canvas. It is the whole demo between two
//   frames: a moment kept for a seek, and the warm-up's save, are one copy of
//   it, and a field that a frame writes is kept because it lives here.
// - fixed: what stays as loaded (track keys, paths, lens chains, the water
//   pictures and tables). Never copied.
//
// Each arena is one block of memory that never moves (the record and every
// pointer into it stay where they are), large enough for the demo's data with
// room to spare; only what is taken from it is touched (the virtual memory
// system keeps the rest away). The changing one is taken when the program
// starts, for the record; the fixed one when it is first used.
enum class DemoMemory { changing, fixed };

struct DemoArena {
    unsigned char* base;
    size_t capacity;
    size_t used;  // bytes taken, from base on (the record's among them)
    // The first request refused since the arenas were emptied, in bytes (0:
    // none), and whether the block itself could not be had: what the loading
    // says when it stops for want of room.
    size_t refusedBytes;
    bool blockRefused;
};

// Zero-filled room for `count` records of `size` bytes, aligned for any of
// them (16 bytes); null when the arena is full or count is 0. Callers report
// the shortage as out of memory, naming what they were loading.
void* takeDemoMemory(DemoMemory which, size_t count, size_t size);

template <typename T>
T* takeDemoArray(DemoMemory which, size_t count) {
    return static_cast<T*>(takeDemoMemory(which, count, sizeof(T)));
}

// What a release function hands back. Memory of an arena stays taken until the
// arenas are emptied; anything else (records a test built with malloc) is
// freed. Null is fine.
void giveBackDemoMemory(void* p);

// Both arenas empty again: everything taken from them is gone at once. The
// record at the changing arena's start stays, as it is.
void emptyDemoArenas();

// The room for the record at the changing arena's start, `bytes` long and
// zero-filled: called once, by the record's own definition, as the program
// starts. When the arena's block cannot be had, the record gets room of its
// own and every later request of that arena is refused (the loading says so).
void* placeDemoRecord(size_t bytes);

const DemoArena& demoArena(DemoMemory which);
