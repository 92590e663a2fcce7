#include "state/demo_memory.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The demo's data takes about 16 MB that changes (the scene bank's 1024
// records 0.1 MB, their tables taken only where a set-up adds to them) and
// 4 MB that does not; each arena has ample room. The block is never written
// beyond what is taken, so the rest costs address space only. Its size is
// chosen before any data is read, because the changing block holds the record
// from the program's start and can never move.
enum : size_t {
    changingCapacity = size_t(96) << 20,
    fixedCapacity = size_t(16) << 20,
    alignment = 16,
};

DemoArena arenas[2] = {{nullptr, changingCapacity, 0, 0, false},
                       {nullptr, fixedCapacity, 0, 0, false}};

// The record's bytes at the changing arena's start, rounded up to the
// alignment, and whether the arena is only the record (its block refused).
size_t recordBytes = 0;
bool recordAlone = false;

size_t aligned(size_t bytes) { return (bytes + alignment - 1) / alignment * alignment; }

DemoArena* arenaFor(DemoMemory which) { return &arenas[which == DemoMemory::changing ? 0 : 1]; }

bool within(const DemoArena& a, const void* p) {
    const unsigned char* at = static_cast<const unsigned char*>(p);
    return a.base && at >= a.base && at < a.base + a.capacity;
}

// Null, the first refusal kept for the loading to say.
void* refuse(DemoArena* a, size_t bytes) {
    if (a->refusedBytes == 0) a->refusedBytes = bytes;
    return nullptr;
}

}  // namespace

void* takeDemoMemory(DemoMemory which, size_t count, size_t size) {
    DemoArena* a = arenaFor(which);
    if (count == 0 || size == 0) return nullptr;
    if (count > a->capacity / size)
        return refuse(a, count > SIZE_MAX / size ? SIZE_MAX : count * size);
    const size_t bytes = aligned(count * size);
    // Taken once and kept to the end of the process: everything in it lives
    // as long as the demo.
    if (!a->base) a->base = static_cast<unsigned char*>(std::malloc(a->capacity));
    if (!a->base) {
        a->blockRefused = true;
        return refuse(a, bytes);
    }
    if (bytes > a->capacity - a->used) return refuse(a, bytes);
    unsigned char* p = a->base + a->used;
    a->used += bytes;
    std::memset(p, 0, bytes);
    return p;
}

void giveBackDemoMemory(void* p) {
    if (!p || within(arenas[0], p) || within(arenas[1], p)) return;
    std::free(p);
}

void emptyDemoArenas() {
    for (DemoArena& a : arenas) {
        a.used = 0;
        a.refusedBytes = 0;
        a.blockRefused = false;
    }
    arenas[0].used = recordBytes;
    if (recordAlone) {
        arenas[0].blockRefused = true;
        arenas[0].refusedBytes = changingCapacity;
    }
}

void* placeDemoRecord(size_t bytes) {
    DemoArena* a = &arenas[0];
    recordBytes = aligned(bytes);
    if (!a->base) a->base = static_cast<unsigned char*>(std::malloc(a->capacity));
    if (!a->base) {
        a->base = static_cast<unsigned char*>(std::malloc(recordBytes));
        a->capacity = recordBytes;
        recordAlone = true;
    }
    if (!a->base) {
        // Not even the record: nothing can run, and nothing else is set up yet to say so.
        std::fputs("Out of memory: the demo's record could not be had from the system\n", stderr);
        std::abort();
    }
    std::memset(a->base, 0, recordBytes);
    emptyDemoArenas();
    return a->base;
}

const DemoArena& demoArena(DemoMemory which) { return *arenaFor(which); }
