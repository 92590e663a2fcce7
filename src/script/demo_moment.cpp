#include "script/demo_moment.h"

#include <cstring>

#include "scene/particle_views.h"
#include "state/demo_memory.h"
#include "state/demo_state.h"

namespace {

// The demo's changing memory, as it lies: the record, then all loading took.
struct Span {
    unsigned char* at;
    size_t size;
};

Span changingMemory() {
    const DemoArena& arena = demoArena(DemoMemory::changing);
    return {arena.base, arena.used};
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

// Compares the demo with the moment kept, page by page, copying and noting
// the pages that differ.
void keepChangedPages(const Span& live, unsigned char* kept, MomentChanges* changes) {
    for (size_t at = 0; at < live.size; at += momentPageBytes) {
        const size_t n = live.size - at < momentPageBytes ? live.size - at : momentPageBytes;
        if (sameBytes(kept + at, live.at + at, n)) continue;
        std::memcpy(kept + at, live.at + at, n);
        changes->pages.push_back(uint32_t(at / momentPageBytes));
    }
}

}  // namespace

size_t demoMomentBytes() { return changingMemory().size; }

void keepMoment(DemoMoment* moment) {
    settleParticleViews();
    const Span m = changingMemory();
    moment->bytes.assign(m.at, m.at + m.size);
}

bool putMomentBack(const DemoMoment& moment) {
    const Span m = changingMemory();
    if (moment.bytes.size() != m.size) return false;
    forgetParticleViews();
    int keys[256];
    std::memcpy(keys, demo.KeyState, sizeof keys);
    std::memcpy(m.at, moment.bytes.data(), m.size);
    std::memcpy(demo.KeyState, keys, sizeof keys);
    return true;
}

void keepMomentChanges(DemoMoment* last, MomentChanges* changes) {
    changes->pages.clear();
    changes->bytes.clear();
    const size_t size = demoMomentBytes();
    if (last->bytes.size() != size) {
        // Nothing to compare with: all of it is new.
        keepMoment(last);
        for (size_t at = 0; at < size; at += momentPageBytes)
            changes->pages.push_back(uint32_t(at / momentPageBytes));
        changes->bytes = last->bytes;
        return;
    }
    settleParticleViews();
    unsigned char* kept = last->bytes.data();
    keepChangedPages(changingMemory(), kept, changes);
    for (uint32_t page : changes->pages) {
        const size_t from = size_t(page) * momentPageBytes;
        const size_t to = from + momentPageBytes < size ? from + momentPageBytes : size;
        changes->bytes.insert(changes->bytes.end(), kept + from, kept + to);
    }
}
void applyMomentChanges(const MomentChanges& changes, DemoMoment* moment) {
    const size_t size = moment->bytes.size();
    const unsigned char* from = changes.bytes.data();
    for (uint32_t page : changes.pages) {
        const size_t at = size_t(page) * momentPageBytes;
        if (at >= size) return;
        const size_t n = size - at < momentPageBytes ? size - at : momentPageBytes;
        std::memcpy(moment->bytes.data() + at, from, n);
        from += n;
    }
}
