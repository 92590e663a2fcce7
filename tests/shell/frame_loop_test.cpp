#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/data_path.h"
#include "platform/keys.h"
#include "platform/window.h"
#include "script/frame_loop.h"
#include "script/setup.h"
#include "state/demo_state.h"
#include "support/process.h"

namespace {
// A scripted timer: the first reading is taken when the loop starts, each
// frame then reads the next value.
std::vector<uint32_t> readings;
size_t nextReading = 0;
uint32_t scriptedTimer(void*) {
    const uint32_t t = readings[nextReading < readings.size() ? nextReading : readings.size() - 1];
    ++nextReading;
    return t;
}
struct FrameRecord {
    float totalTime, partTime, frameStep;
};
std::vector<FrameRecord> frames;
void recordFrame(void*) {
    frames.push_back({demo.DemoClock.totalTime, demo.DemoClock.partTime, demo.DemoClock.frameStep});
}
int escapeState(void*) { return demo.KeyState[vkEscape]; }

DemoWindow* window() {
    static DemoWindow* w = createDemoWindow(640, 480, 0);
    return w;
}

const std::string dataDir = DEMO_BUILD_DIR "/data";

// Loads the generated data once for this program (kept until it ends).
bool loadedOnce() {
    static int loaded = -1;
    if (loaded < 0) {
        loaded = 0;
        if (window() && fileExists(dataDir + "/light.dat")) {
            setDataDirectory(dataDir.c_str());
            loaded = loadAll();
        }
    }
    return loaded == 1;
}
}  // namespace

TEST(FrameLoop, EscapeBeforeTheFirstFrameDrawsNothing) {
    ASSERT_TRUE(window());
    std::memset(demo.KeyState, 0, sizeof demo.KeyState);
    demo.KeyState[vkEscape] = 1;
    readings = {1000};
    nextReading = 0;
    frames.clear();
    demo.musicStartMs = 1000;
    const FrameLoopIo io{.readTimer = scriptedTimer, .presentFrame = recordFrame,
                         .escapeHeld = escapeState};
    EXPECT_EQ(runDemo(io), 0);
    EXPECT_TRUE(frames.empty());
    demo.KeyState[vkEscape] = 0;
}

TEST(FrameLoop, EscapeHeldDuringAFrameEndsAfterItIsPresented) {
    if (!loadedOnce()) GTEST_SKIP() << "no generated data in " << dataDir;
    std::memset(demo.KeyState, 0, sizeof demo.KeyState);
    readings = {0, 40, 80, 120};
    nextReading = 0;
    frames.clear();
    demo.musicStartMs = 0;
    const FrameLoopIo io{.readTimer = scriptedTimer,
                         .presentFrame = [](void*) {
                             recordFrame(nullptr);
                             if (frames.size() == 2) demo.KeyState[vkEscape] = 1;
                         },
                         .escapeHeld = escapeState};
    EXPECT_EQ(runDemo(io), 2);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_FLOAT_EQ(frames[0].frameStep, 40 * 0.015f);  // from the loop's start
    demo.KeyState[vkEscape] = 0;
}

// The whole timeline on the generated data, one frame every 700 ms: every part
// runs, the last frame is the first past 228000 ms.
TEST(FrameLoop, WalksTheWholeTimelineOnTheGeneratedData) {
    if (!loadedOnce()) GTEST_SKIP() << "no generated data in " << dataDir;
    std::memset(demo.KeyState, 0, sizeof demo.KeyState);
    readings.clear();
    for (uint32_t t = 0; t <= 229000; t += 700) readings.push_back(5000 + t);
    nextReading = 0;
    frames.clear();
    // The music clock follows on the reading each frame is drawn for.
    static std::vector<uint32_t> followedOn;
    followedOn.clear();
    const FrameLoopIo io{.readTimer = scriptedTimer,
                         .musicStart = [](void*, uint32_t now) -> uint32_t {
                             followedOn.push_back(now);
                             return 5000;
                         },
                         .presentFrame = recordFrame,
                         .escapeHeld = escapeState};
    const long drawn = runDemo(io);
    // Readings 700, 1400, ... 228200: the first above 228000 is the last frame.
    EXPECT_EQ(drawn, 326);
    ASSERT_EQ(frames.size(), 326u);
    EXPECT_NEAR(frames.back().totalTime, 228200 * 0.035, 0.01);
    EXPECT_NEAR(frames.back().partTime, 200 * 0.035, 0.01);
    EXPECT_EQ(followedOn, std::vector<uint32_t>(readings.begin() + 1, readings.begin() + 327));
}

// A frame starts from a cleared depth buffer even when the previous frame left
// depth writes off (as every layer draw does).
TEST(FrameLoop, EveryFrameStartsWithAClearedDepthBuffer) {
    if (!loadedOnce()) GTEST_SKIP() << "no generated data in " << dataDir;
    glDepthMask(GL_TRUE);
    glClearDepth(0.0);
    glClear(GL_DEPTH_BUFFER_BIT);
    glDepthMask(GL_FALSE);
    std::memset(demo.KeyState, 0, sizeof demo.KeyState);
    readings = {0, 20};
    nextReading = 0;
    frames.clear();
    demo.musicStartMs = 0;
    static float depth = -1;
    const FrameLoopIo io{.readTimer = scriptedTimer,
                         .presentFrame = [](void*) {
                             glFinish();
                             glReadPixels(5, 5, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
                             demo.KeyState[vkEscape] = 1;
                         },
                         .escapeHeld = escapeState};
    EXPECT_EQ(runDemo(io), 1);
    EXPECT_FLOAT_EQ(depth, 1.0f);
    demo.KeyState[vkEscape] = 0;
}
