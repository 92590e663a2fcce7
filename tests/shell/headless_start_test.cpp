#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "shell/headless_run.h"
#include "support/process.h"

namespace {
const std::string dataDir = DEMO_BUILD_DIR "/data";

// The variables a run reads, put back as they were when it ends.
struct SavedEnvironment {
    static constexpr const char* names[3] = {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY"};
    std::string values[3];
    bool set[3] = {};
    SavedEnvironment() {
        for (int i = 0; i < 3; ++i) {
            const char* v = std::getenv(names[i]);
            set[i] = v != nullptr;
            if (v) values[i] = v;
        }
    }
    ~SavedEnvironment() {
        for (int i = 0; i < 3; ++i) {
            if (set[i])
                setenv(names[i], values[i].c_str(), 1);
            else
                unsetenv(names[i]);
        }
    }
};

bool twoFrames(long frame, void*) { return frame < 1; }
}  // namespace

// The offscreen programs ask for their drawable through the window options,
// not through the environment: with no driver named and a display that is not
// there, they draw all the same, and never on that display.
TEST(HeadlessRun, DrawsOffscreenWithNoDriverNamedAndNoDisplay) {
    if (!fileExists(dataDir + "/light.dat")) GTEST_SKIP() << "no generated data in " << dataDir;
    SavedEnvironment saved;
    unsetenv("SDL_VIDEODRIVER");
    unsetenv("WAYLAND_DISPLAY");
    setenv("DISPLAY", ":4711", 1);
    HeadlessRun run;
    run.dataDir = dataDir;
    run.rate = FrameRate{5, 1};
    run.warmUp = false;
    run.onFrame = twoFrames;
    long drawn = 0;
    EXPECT_EQ(runHeadless(run, &drawn), 0);
    EXPECT_EQ(drawn, 2);
}
