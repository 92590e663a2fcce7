// Seeks on the fixed-step clock: the frame drawn after a seek against the
// frame the same build draws at that time playing from the start, byte for
// byte, whatever was played before the seek.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "platform/data_path.h"
#include "platform/keys.h"
#include "script/frame_loop.h"
#include "shell/headless_run.h"
#include "shell/seek_replay.h"
#include "shell/start_up.h"
#include "shell/stills_run.h"
#include "state/demo_state.h"
#include "support/process.h"

namespace {

using Pixels = std::vector<unsigned char>;
const std::string dataDir = DEMO_BUILD_DIR "/data";

Pixels readFrame() {
    Pixels p(640 * 480 * 3);
    readFrameRgb(640, 480, p.data());
    return p;
}

// The demo loaded once for this program, with the start kept for seeking.
SeekCache cache;
bool started() {
    static int state = -1;
    if (state < 0) {
        state = 0;
        if (!fileExists(dataDir + "/light.dat")) return false;
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        setDataDirectory(dataDir.c_str());
        DemoStart start;
        start.warmUp = false;
        start.exactSize = true;
        if (!startDemo(start)) return false;
        prepareSeeking(&cache);
        state = 1;
    }
    return state == 1;
}

// Frames at 60 a second from the start, as the capture draws them, through
// the stills runner (a fixed-step play from wherever the demo stands is not
// one from the start: the kept start is put back first).
std::map<long, Pixels> stillsFromTheStart(const std::vector<long>& frames) {
    restoreSnapshot(cache.layout, cache.start);
    std::map<long, Pixels> out;
    StillsRun stills;
    stills.run.rate = FrameRate{60, 1};
    stills.frames = frames;
    stills.user = &out;
    stills.onStill = [](const StillAt& still, void* user) {
        (*static_cast<std::map<long, Pixels>*>(user))[still.frame] = readFrame();
        return true;
    };
    playStills(stills);
    // The runner leaves the frame after its last still boxed.
    glDisable(GL_SCISSOR_TEST);
    return out;
}

// A live play's frames at uneven times elsewhere on the timeline: particles,
// flares and track cursors move on in their own way, as before a real seek.
void playLiveFrames(uint32_t fromMs, int frames) {
    struct Clock {
        uint32_t now;
        int left;
    } clock = {fromMs, frames};
    demo.musicStartMs = 0;
    runDemo(FrameLoopIo{[](void* u) {
                            Clock* c = static_cast<Clock*>(u);
                            c->now += 23 + 17 * (c->left % 3);
                            return c->now;
                        },
                        nullptr, nullptr,
                        [](void* u) { --static_cast<Clock*>(u)->left; },
                        [](void* u) { return static_cast<Clock*>(u)->left <= 0 ? 1 : 0; },
                        &clock});
}

Pixels seekAndRead(long frame) {
    EXPECT_TRUE(drawSeekFrame(&cache, frame)) << "frame " << frame;
    return readFrame();
}

std::vector<long> keptFrames() {
    std::vector<long> frames;
    for (const SeekPoint& p : cache.points) frames.push_back(p.frame);
    return frames;
}

}  // namespace

TEST(Seek, FrameTimesAreTheCapturesAtSixtyFramesASecond) {
    EXPECT_EQ(seekFrameMs(0), 0u);
    EXPECT_EQ(seekFrameMs(1), 17u);
    EXPECT_EQ(seekFrameMs(60), 1000u);
    // The first frame at or after a time, as --time counts: 10 s is frame
    // 600 exactly, a millisecond later the next one.
    EXPECT_EQ(seekFrameAtMs(0), 0);
    EXPECT_EQ(seekFrameAtMs(10000), 600);
    EXPECT_EQ(seekFrameAtMs(10001), 601);
    EXPECT_EQ(seekFrameAtMs(13201), 793);
    EXPECT_EQ(seekFrameAtSeconds(10.0), 600);
    EXPECT_EQ(seekFrameAtSeconds(10.001), 601);
    EXPECT_EQ(seekFrameAtSeconds(0.0), 0);
    EXPECT_EQ(seekFrameAtSeconds(227.999), 13680);
}

TEST(Seek, TheFrameAfterASeekIsTheFramePlayedFromTheStartByteForByte) {
    if (!started()) GTEST_SKIP() << "no generated data in " << dataDir << " or no GL";
    // Part 0's layers, part 1's particle bursts and flares, part 2's tunnel
    // swarms (past several kept moments), frames 0 and 1.
    const std::vector<long> frames = {0, 1, 610, 1500, 3700, 3701};
    const std::map<long, Pixels> reference = stillsFromTheStart(frames);
    ASSERT_EQ(reference.size(), frames.size());

    // Forward from the start, back, the same again, the next frame, the very
    // start: each after live frames somewhere else changed the demo.
    demo.KeyState[vkEscape] = 0;
    demo.KeyState['Q'] = 1;
    for (long frame : {3700L, 1500L, 3700L, 3701L, 0L, 1L, 610L}) {
        playLiveFrames(150000, 12);
        EXPECT_TRUE(seekAndRead(frame) == reference.at(frame)) << "frame " << frame;
        EXPECT_EQ(demo.musicStartMs, 0u);
    }
    // The viewer's keys are not part of what is put back.
    EXPECT_EQ(demo.KeyState['Q'], 1);
    demo.KeyState['Q'] = 0;
    // A moment kept every seekKeepEveryFrames frames played through, each once.
    std::vector<long> kept;
    for (long f = seekKeepEveryFrames - 1; f < 3700; f += seekKeepEveryFrames) kept.push_back(f);
    EXPECT_EQ(keptFrames(), kept);
}

TEST(Seek, WaterMorphsAndMirrorComeBackFromAKeptMomentAsPlayedThrough) {
    if (!started()) GTEST_SKIP() << "no generated data in " << dataDir << " or no GL";
    // The first seek plays from the start through to part 6 (fish, morph,
    // water) in one go; later seeks come back from the moment kept before it.
    const long fish = seekFrameAtMs(176800), mirror = seekFrameAtMs(203450),
               kopuli = seekFrameAtMs(222100);
    const Pixels fishPlayed = seekAndRead(fish);
    const Pixels mirrorPlayed = seekAndRead(mirror);
    const Pixels kopuliPlayed = seekAndRead(kopuli);
    for (long frame : {fish, kopuli, mirror, fish}) {
        playLiveFrames(60000, 12);
        const Pixels again = seekAndRead(frame);
        EXPECT_TRUE(again == (frame == fish ? fishPlayed : frame == mirror ? mirrorPlayed
                                                                            : kopuliPlayed))
            << "frame " << frame;
    }
}
