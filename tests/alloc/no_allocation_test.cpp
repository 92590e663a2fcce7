#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "alloc/alloc_counter.h"
#include "shell/headless_run.h"
#include "support/process.h"

namespace {
struct Window {
    long first, last;  // frames counted
    long counted = 0;
    long allocations = 0;
};

bool countFrames(long frame, void* user) {
    Window* w = static_cast<Window*>(user);
    if (frame == w->first) startCountingAllocations();
    if (frame == w->last) {
        w->allocations = stopCountingAllocations();
        w->counted = w->last - w->first;
        return false;
    }
    return true;
}
}  // namespace

// The sanity check of the counter itself: an allocation in this executable counts.
TEST(NoAllocation, TheCounterSeesThisProgramsAllocations) {
    startCountingAllocations();
    void* volatile p = std::malloc(64);
    int* volatile q = new int(3);
    const long n = stopCountingAllocations();
    std::free(p);
    delete q;
    EXPECT_EQ(n, 2);
}

// A few hundred frames of the real loop, after everything was loaded, across
// every part of the timeline (4 frames a second, frames 100 to 900): nothing
// is allocated by the demo's own code.
TEST(NoAllocation, FramesAfterLoadingAllocateNothing) {
    const std::string data = DEMO_BUILD_DIR "/data";
    if (!fileExists(data + "/light.dat")) GTEST_SKIP() << "no generated data";
    HeadlessRun run;
    run.dataDir = data;
    run.rate.num = 4;
    Window w{100, 900};
    run.onFrame = countFrames;
    run.user = &w;
    long drawn = 0;
    ASSERT_EQ(runHeadless(run, &drawn), 0);
    EXPECT_EQ(w.counted, 800);
    EXPECT_EQ(w.allocations, 0) << "heap allocations while frames ran";
    for (int i = 0; i < 8 && i < w.allocations; ++i)
        std::fprintf(stderr, "allocation %d made at 0x%lx (addr2line -e <this test> -f -C)\n", i,
                     countedAllocationCaller(i));
}
