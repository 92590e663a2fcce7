#include "shell/seek_ahead.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/timer.h"
#include "script/demo_moment.h"
#include "script/history_only.h"
#include "script/timeline.h"

namespace {

// One moment on the pipe: this, then the page numbers, then their bytes.
struct MomentHeader {
    int64_t frame;
    uint64_t pages;
    uint64_t bytes;
};

// How much one read takes, and how many reads one call makes at most.
enum : size_t { readBytes = 1 << 20, readsPerCall = 8 };
// How often a seek waiting for the copy asks its watch, and how long the copy
// may send nothing before the seek takes it that the copy gets no processor
// time (others want it all) and plays the rest itself. With the processor to
// itself the copy sends a moment every 40 to 200 ms.
enum : unsigned { waitSliceMs = 50, starvedMs = 500 };

// In the copy: each moment goes to the process as soon as it is kept, and is
// not kept here (only the frame, which the chain's next moment is told by).
void sendMoment(KeptMoment* moment) {
    const MomentHeader header = {moment->frame, moment->changes.pages.size(),
                                 moment->changes.bytes.size()};
    const bool sent = writeToParent(&header, sizeof header) &&
                      writeToParent(moment->changes.pages.data(),
                                    moment->changes.pages.size() * sizeof(uint32_t)) &&
                      writeToParent(moment->changes.bytes.data(), moment->changes.bytes.size());
    if (!sent) std::_Exit(0);  // the process is gone
    moment->changes = MomentChanges{};
}

// The copy's whole work: the timeline from the start to its end. Its own
// seek cache keeps each moment as a seek does and sends it on.
void playAhead(void* user) {
    SeekCache* cache = static_cast<SeekCache*>(user);
    playWithoutGl();
    cache->kept = sendMoment;
    drawSeekFrame(cache, seekFrameAtMs(uint32_t(timelineEndMs)));
}

// A moment that does not fit the chain or the demo's size ends the copy.
bool plausible(const SeekCache& cache, const MomentHeader& h) {
    const uint64_t pages = (demoMomentBytes() + momentPageBytes - 1) / momentPageBytes;
    return h.frame == chainEnd(cache) + seekKeepEveryFrames && h.pages <= pages &&
           h.bytes <= h.pages * momentPageBytes;
}

// Moves the whole moments received into the chain.
void takeWholeMoments(SeekAhead* ahead, SeekCache* cache) {
    std::vector<unsigned char>& in = ahead->received;
    size_t at = 0;
    MomentHeader h;
    while (in.size() - at >= sizeof h) {
        std::memcpy(&h, in.data() + at, sizeof h);
        if (!plausible(*cache, h)) return stopSeekingAhead(ahead);
        const size_t pageBytes = size_t(h.pages) * sizeof(uint32_t);
        if (in.size() - at < sizeof h + pageBytes + h.bytes) break;
        const unsigned char* from = in.data() + at + sizeof h;
        KeptMoment moment;
        moment.frame = long(h.frame);
        moment.changes.pages.resize(size_t(h.pages));
        std::memcpy(moment.changes.pages.data(), from, pageBytes);
        moment.changes.bytes.assign(from + pageBytes, from + pageBytes + h.bytes);
        cache->moments.push_back(std::move(moment));
        at += sizeof h + pageBytes + size_t(h.bytes);
    }
    in.erase(in.begin(), in.begin() + long(at));
}

}  // namespace

bool startSeekingAhead(SeekAhead* ahead, SeekCache* cache) {
    if (!seekingPrepared(*cache) || ahead->running) return false;
    ahead->again = false;
    if (!startHelperCopy(&ahead->helper, playAhead, cache)) return false;
    ahead->running = true;
    return true;
}

void takeMomentsKept(SeekAhead* ahead, SeekCache* cache, unsigned waitMs) {
    if (!ahead->running) return;
    ahead->chunk.resize(readBytes);
    for (size_t reads = 0; reads < readsPerCall; ++reads) {
        const long n =
            readFromHelper(&ahead->helper, ahead->chunk.data(), readBytes, reads == 0 ? waitMs : 0);
        if (n > 0) ahead->received.insert(ahead->received.end(), ahead->chunk.begin(),
                                         ahead->chunk.begin() + n);
        if (n <= 0) {
            takeWholeMoments(ahead, cache);
            if (n < 0) stopSeekingAhead(ahead);
            return;
        }
    }
    takeWholeMoments(ahead, cache);
}

bool awaitMomentsBefore(SeekAhead* ahead, SeekCache* cache, long frame, const SeekWatch& watch) {
    takeMomentsKept(ahead, cache, 0);
    uint64_t sent = readSystemTimerUs();
    size_t kept = cache->moments.size();
    while (ahead->running && chainEnd(*cache) + seekKeepEveryFrames < frame) {
        takeMomentsKept(ahead, cache, waitSliceMs);
        const uint64_t now = readSystemTimerUs();
        if (cache->moments.size() != kept) {
            kept = cache->moments.size();
            sent = now;
        } else if (now - sent > uint64_t(starvedMs) * 1000) {
            // A new copy goes on from the end of the chain after this seek.
            stopSeekingAhead(ahead);
            ahead->again = true;
        }
        if (watch.keepGoing && !watch.keepGoing(watch.user)) return false;
    }
    return true;
}

void seekingAheadAgain(SeekAhead* ahead, SeekCache* cache) {
    if (!ahead->again) return;
    ahead->again = false;
    startSeekingAhead(ahead, cache);
}

void stopSeekingAhead(SeekAhead* ahead) {
    if (ahead->helper.pid > 0 || ahead->helper.from >= 0) endHelperCopy(&ahead->helper);
    ahead->received = {};
    ahead->chunk = {};
    ahead->running = false;
}
