// The stills runner on the desktop build's data: which frames call back, in
// what order, and where the run ends.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <ostream>
#include <vector>

#include "platform/window.h"
#include "shell/stills_run.h"
#include "state/demo_state.h"

namespace {

struct Call {
    size_t index;
    long frame;
    bool last;
    int partMs;          // the music time the frame was drawn at (part 0 starts at 0)
    bool scissored;      // the still drawn into the one-pixel box
    bool operator==(const Call&) const = default;
};

void PrintTo(const Call& c, std::ostream* os) {
    *os << "{index " << c.index << ", frame " << c.frame << (c.last ? ", last" : "") << ", at "
        << c.partMs << " ms" << (c.scissored ? ", scissored" : "") << "}";
}

struct Record {
    std::vector<Call> calls;
    long presented = 0;
    size_t stopAfter = 0;  // calls before onStill says stop (0: never)
};

bool recordStill(const StillAt& still, void* user) {
    Record* r = static_cast<Record*>(user);
    r->calls.push_back({still.index, still.frame, still.last, int(demo.partMs),
                        glIsEnabled(GL_SCISSOR_TEST) == GL_TRUE});
    return r->stopAfter == 0 || r->calls.size() < r->stopAfter;
}

void countPresent(void* user) {
    ++static_cast<Record*>(user)->presented;
    presentDemoWindow();
}

StillsRun stillsAt(std::vector<long> frames, Record* record) {
    StillsRun stills;
    stills.run.rate.num = 30;
    stills.run.dataDir = DEMO_DATA_FOLDER;
    stills.run.present = countPresent;
    stills.frames = std::move(frames);
    stills.onStill = recordStill;
    stills.user = record;
    return stills;
}

bool haveData() { return access(DEMO_DATA_FOLDER "/flare.cfg", R_OK) == 0; }

}  // namespace

TEST(StillsRun, EachTimeAskedForIsCalledOnItsFrameAndTheRunEndsAfterTheLast) {
    if (!haveData()) GTEST_SKIP() << "no generated data in " << DEMO_DATA_FOLDER;
    // Out of order, one frame asked for twice: called in the order the frames
    // come, each request of a frame in the order given, "last" only once.
    Record record;
    ASSERT_EQ(runStills(stillsAt({15, 3, 15, 6}, &record)), 0);
    const std::vector<Call> expected = {
        {1, 3, false, 100, false}, {3, 6, false, 200, false},
        {0, 15, false, 500, false}, {2, 15, true, 500, false}};
    EXPECT_EQ(record.calls, expected);
    EXPECT_EQ(record.presented, 16);

    // On the demo already started: a callback that says stop ends the run
    // after that frame, and frame 0 is drawn whole after a run that ended
    // with the next frame boxed.
    Record stopped;
    stopped.stopAfter = 2;
    EXPECT_EQ(playStills(stillsAt({0, 4, 9}, &stopped)), 5);
    ASSERT_EQ(stopped.calls.size(), 2u);
    EXPECT_EQ(stopped.calls[0], (Call{0, 0, false, 0, false}));
    EXPECT_EQ(stopped.calls[1], (Call{1, 4, false, 133, false}));
}
