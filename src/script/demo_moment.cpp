#include "script/demo_moment.h"

#include <cstring>

#include "scene/particle_views.h"
#include "state/demo_memory.h"
#include "state/demo_state.h"

namespace {

// The demo's changing memory, as it lies: the record, then the arena. The
// moment holds them one after the other.
struct Span {
    unsigned char* at;
    size_t size;
};

struct ChangingMemory {
    Span parts[2];
};

ChangingMemory changingMemory() {
    const DemoArena& arena = demoArena(DemoMemory::changing);
    return {{{reinterpret_cast<unsigned char*>(&demo), sizeof demo}, {arena.base, arena.used}}};
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

// Compares one span with its place in the moment kept, page by page, copying
// and noting the pages that differ. `at` is the span's offset in the moment.
void keepSpanChanges(const Span& live, size_t at, unsigned char* kept, MomentChanges* changes) {
    for (size_t done = 0; done < live.size;) {
        const size_t pageEnd = (at / momentPageBytes + 1) * momentPageBytes;
        const size_t n = live.size - done < pageEnd - at ? live.size - done : pageEnd - at;
        if (!sameBytes(kept + at, live.at + done, n)) {
            std::memcpy(kept + at, live.at + done, n);
            const uint32_t page = uint32_t(at / momentPageBytes);
            if (changes->pages.empty() || changes->pages.back() != page)
                changes->pages.push_back(page);
        }
        at += n;
        done += n;
    }
}

}  // namespace

size_t demoMomentBytes() {
    const ChangingMemory m = changingMemory();
    return m.parts[0].size + m.parts[1].size;
}

void keepMoment(DemoMoment* moment) {
    settleParticleViews();
    const ChangingMemory m = changingMemory();
    moment->bytes.resize(m.parts[0].size + m.parts[1].size);
    std::memcpy(moment->bytes.data(), m.parts[0].at, m.parts[0].size);
    if (m.parts[1].size) std::memcpy(moment->bytes.data() + m.parts[0].size, m.parts[1].at, m.parts[1].size);
}

bool putMomentBack(const DemoMoment& moment) {
    const ChangingMemory m = changingMemory();
    if (moment.bytes.size() != m.parts[0].size + m.parts[1].size) return false;
    forgetParticleViews();
    int keys[256];
    std::memcpy(keys, demo.KeyState, sizeof keys);
    std::memcpy(m.parts[0].at, moment.bytes.data(), m.parts[0].size);
    if (m.parts[1].size) std::memcpy(m.parts[1].at, moment.bytes.data() + m.parts[0].size, m.parts[1].size);
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
    const ChangingMemory m = changingMemory();
    unsigned char* kept = last->bytes.data();
    keepSpanChanges(m.parts[0], 0, kept, changes);
    keepSpanChanges(m.parts[1], m.parts[0].size, kept, changes);
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
