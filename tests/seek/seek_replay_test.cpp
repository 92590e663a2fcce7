// Seeks on the fixed-step clock: the frame drawn after a seek against the
// frame the same build draws at that time playing from the start, byte for
// byte, whatever was played before the seek, with moments kept by seeks or
// by the copy of the process that plays ahead; and the GL table's modes that
// such plays go through.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "glcalls/gl_calls.h"
#include "platform/data_path.h"
#include "platform/keys.h"
#include "fx/particles.h"
#include "script/demo_moment.h"
#include "script/frame_loop.h"
#include "script/history_only.h"
#include "script/places.h"
#include "shell/headless_run.h"
#include "shell/seek_ahead.h"
#include "shell/seek_replay.h"
#include "shell/start_up.h"
#include "shell/stills_run.h"
#include "state/demo_memory.h"
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

// The demo loaded once for this program, with the start kept for seeking, and
// the copy that keeps moments ahead while a test has one running.
SeekCache cache;
SeekAhead ahead;
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
    putMomentBack(cache.start);
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
    runDemo(FrameLoopIo{.readTimer = [](void* u) {
                            Clock* c = static_cast<Clock*>(u);
                            c->now += 23 + 17 * (c->left % 3);
                            return c->now;
                        },
                        .presentFrame = [](void* u) { --static_cast<Clock*>(u)->left; },
                        .callerDone =
                            [](void* u) { return static_cast<Clock*>(u)->left <= 0 ? 1 : 0; },
                        .user = &clock});
}

// A moment's bytes less what is not the demo's history: the wall-clock
// figure the record keeps for the benchmark and the viewer's keys, its last
// fields (the record is the first block, on page 0).
std::vector<unsigned char> withoutTimings(const MomentChanges& changes) {
    std::vector<unsigned char> bytes = changes.bytes;
    const size_t from = offsetof(DemoState, frameComputeSeconds);
    static_assert(offsetof(DemoState, KeyState) > offsetof(DemoState, frameComputeSeconds));
    if (!changes.pages.empty() && changes.pages[0] == 0)
        std::memset(bytes.data() + from, 0, sizeof(DemoState) - from);
    return bytes;
}

// A seek as the play makes one: the copy's moments waited for first.
Pixels seekAndRead(long frame) {
    EXPECT_TRUE(awaitMomentsBefore(&ahead, &cache, frame, SeekWatch{})) << "frame " << frame;
    EXPECT_TRUE(drawSeekFrame(&cache, frame)) << "frame " << frame;
    seekingAheadAgain(&ahead, &cache);
    return readFrame();
}

std::vector<long> keptFrames() {
    std::vector<long> frames;
    for (const KeptMoment& p : cache.moments) frames.push_back(p.frame);
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

// A set-up that takes room for something its part writes gets it kept and
// put back by every seek, because of where it lives: here a count of the
// frames that render the light scene (parts 1 and 2), written by a hook.
TEST(Seek, WhatAPartWritesInTheChangingArenaComesBackWithASeek) {
    if (!started()) GTEST_SKIP() << "no generated data in " << dataDir << " or no GL";
    ASSERT_TRUE(putMomentBack(cache.start));
    int* rendered = takeDemoArray<int>(DemoMemory::changing, 1);
    ASSERT_NE(rendered, nullptr);
    ASSERT_TRUE(addSceneHook(&demo.SceneBank[lightPlace], rendered, nullptr,
                             [](void* target, void*) { ++*static_cast<int*>(target); }));
    prepareSeeking(&cache);
    seekAndRead(1500);
    const int inPartOne = *rendered;
    EXPECT_GT(inPartOne, 0);
    seekAndRead(3700);
    EXPECT_GT(*rendered, inPartOne);
    playLiveFrames(20000, 12);
    seekAndRead(1500);
    EXPECT_EQ(*rendered, inPartOne);
    seekAndRead(0);
    EXPECT_EQ(*rendered, 0);
}

TEST(Seek, EveryLaterPartAfterASeekIsTheFramePlayedFromTheStart) {
    if (!started()) GTEST_SKIP() << "no generated data in " << dataDir << " or no GL";
    // One frame a part from part 3 on (the warped tunnel, the bursts, the
    // swarms, fish, morph and water, mirror, the last scene), each a few
    // frames after a kept moment or just before one.
    const std::vector<long> frames = {seekFrameAtMs(95000),  seekFrameAtMs(120000),
                                      seekFrameAtMs(150500), seekFrameAtMs(176800),
                                      seekFrameAtMs(203450), seekFrameAtMs(222100)};
    const std::map<long, Pixels> reference = stillsFromTheStart(frames);
    ASSERT_EQ(reference.size(), frames.size());
    // The last first (one replay from the start), then back to each.
    cache.moments.clear();
    for (auto f = frames.rbegin(); f != frames.rend(); ++f) {
        playLiveFrames(30000, 6);
        EXPECT_TRUE(seekAndRead(*f) == reference.at(*f)) << "frame " << *f;
    }
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

TEST(Seek, MomentsKeptAheadByACopyOfTheProcessGiveTheSameFrames) {
    if (!started()) GTEST_SKIP() << "no generated data in " << dataDir << " or no GL";
    const long fish = seekFrameAtMs(176800);
    const std::vector<long> frames = {610, 3701, fish};
    std::map<long, Pixels> before;
    for (long frame : frames) before[frame] = seekAndRead(frame);
    const std::vector<KeptMoment> keptHere = cache.moments;

    // The copy as the demo starts it: the first seek waits for it, the
    // frames are the same, and so is every moment both kept.
    cache.moments.clear();
    if (!startSeekingAhead(&ahead, &cache)) GTEST_SKIP() << "no copy of the process on this platform";
    EXPECT_TRUE(seekAndRead(fish) == before.at(fish));
    while (ahead.running) takeMomentsKept(&ahead, &cache, 100);
    const long end = seekFrameAtMs(228000);
    std::vector<long> kept;
    for (long f = seekKeepEveryFrames - 1; f < end; f += seekKeepEveryFrames) kept.push_back(f);
    EXPECT_EQ(keptFrames(), kept);
    for (size_t i = 0; i < keptHere.size() && i < cache.moments.size(); ++i) {
        EXPECT_EQ(cache.moments[i].changes.pages, keptHere[i].changes.pages) << "moment " << i;
        EXPECT_TRUE(withoutTimings(cache.moments[i].changes) == withoutTimings(keptHere[i].changes))
            << "moment " << i;
    }
    for (long frame : {3701L, 610L}) {
        playLiveFrames(90000, 12);
        EXPECT_TRUE(seekAndRead(frame) == before.at(frame)) << "frame " << frame;
    }
}

TEST(Seek, TheCopyPlayingAheadEndsWhenAskedAndSeeksGoOnWithoutIt) {
    if (!started()) GTEST_SKIP() << "no generated data in " << dataDir << " or no GL";
    cache.moments.clear();
    if (!startSeekingAhead(&ahead, &cache)) GTEST_SKIP() << "no copy of the process on this platform";
    const long pid = ahead.helper.pid;
    stopSeekingAhead(&ahead);
    EXPECT_FALSE(ahead.running);
    // Gone, and waited for: no such process any more.
    EXPECT_NE(kill(pid_t(pid), 0), 0);
    // Whatever it sent before is a chain from the start; seeks extend it.
    const long frame = seekFrameAtMs(30000);
    const Pixels drawn = seekAndRead(frame);
    long last = seekKeepEveryFrames - 1;
    while (last + seekKeepEveryFrames < frame) last += seekKeepEveryFrames;
    ASSERT_FALSE(keptFrames().empty());
    EXPECT_EQ(keptFrames().back(), last);
    cache.moments.clear();
    EXPECT_TRUE(seekAndRead(frame) == drawn);
}

TEST(Seek, ASeekDoesNotWaitForACopyThatGetsNoProcessorTime) {
    if (!started()) GTEST_SKIP() << "no generated data in " << dataDir << " or no GL";
    const long frame = seekFrameAtMs(40000);
    cache.moments.clear();
    const Pixels drawn = seekAndRead(frame);
    cache.moments.clear();
    if (!startSeekingAhead(&ahead, &cache)) GTEST_SKIP() << "no copy of the process on this platform";
    // Stopped, as a copy that others leave no processor time: the seek plays
    // the timeline itself, then a new copy goes on from where it stopped.
    const long stopped = ahead.helper.pid;
    kill(pid_t(stopped), SIGSTOP);
    EXPECT_TRUE(seekAndRead(frame) == drawn);
    long last = seekKeepEveryFrames - 1;
    while (last + seekKeepEveryFrames < frame) last += seekKeepEveryFrames;
    ASSERT_FALSE(keptFrames().empty());
    EXPECT_EQ(keptFrames().back(), last);
    ASSERT_TRUE(ahead.running);
    EXPECT_NE(ahead.helper.pid, stopped);
    EXPECT_NE(kill(pid_t(stopped), 0), 0);
    // The new copy keeps the next moments in order. It plays at idle
    // priority: on a busy machine the rest of the timeline would take it
    // minutes (the whole chain is checked with the copy the demo starts).
    const long further = last + 2 * seekKeepEveryFrames;
    while (ahead.running && keptFrames().back() < further) takeMomentsKept(&ahead, &cache, 100);
    stopSeekingAhead(&ahead);
    std::vector<long> kept;
    for (long f = seekKeepEveryFrames - 1; f <= keptFrames().back(); f += seekKeepEveryFrames)
        kept.push_back(f);
    EXPECT_GE(keptFrames().back(), further);
    EXPECT_EQ(keptFrames(), kept);
    EXPECT_TRUE(seekAndRead(frame) == drawn);
}

// The table the frame code calls GL through: what each mode lets reach the
// driver.
TEST(GlCalls, ADroppedPairLeavesTheCurrentValuesTheDriverWould) {
    if (!started()) GTEST_SKIP() << "no generated data in " << dataDir << " or no GL";
    const auto pair = [] {
        gl.Color4f(0.1f, 0.2f, 0.3f, 0.4f);
        gl.Begin(GL_POINTS);
        gl.Color3f(0.5f, 0.25f, 0.75f);
        gl.Normal3f(0.0f, 1.0f, 0.0f);
        gl.TexCoord2f(0.125f, 0.5f);
        gl.Vertex3f(0, 0, -2);
        gl.Color3fv(std::vector<float>{0.2f, 0.4f, 0.6f}.data());
        gl.Vertex3f(0, 0, -2);
        gl.End();
    };
    const auto current = [] {
        std::vector<float> v(12);
        glGetFloatv(GL_CURRENT_COLOR, v.data());
        glGetFloatv(GL_CURRENT_NORMAL, v.data() + 4);
        glGetFloatv(GL_CURRENT_TEXTURE_COORDS, v.data() + 8);
        return v;
    };
    glEnable(GL_RASTERIZER_DISCARD);
    pair();
    const std::vector<float> drawn = current();
    glColor4f(0, 0, 0, 0);
    glNormal3f(1, 0, 0);
    glTexCoord2f(0, 0);
    setGlCallMode(GlCallMode::historyOnly);
    pair();
    setGlCallMode(GlCallMode::drawing);
    glDisable(GL_RASTERIZER_DISCARD);
    EXPECT_EQ(current(), drawn);
    EXPECT_FLOAT_EQ(drawn[3], 1.0f);
}

TEST(GlCalls, HistoryOnlyKeepsStateAndDropsClearsAndNoneReachesNothing) {
    if (!started()) GTEST_SKIP() << "no generated data in " << dataDir << " or no GL";
    const auto pixel = [] {
        unsigned char p[4] = {};
        glReadPixels(5, 5, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        return std::vector<unsigned char>(p, p + 4);
    };
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    const std::vector<unsigned char> blue = pixel();
    glDisable(GL_FOG);
    setGlCallMode(GlCallMode::historyOnly);
    gl.ClearColor(1, 0, 0, 1);
    gl.Clear(GL_COLOR_BUFFER_BIT);
    gl.Enable(GL_FOG);
    setGlCallMode(GlCallMode::drawing);
    EXPECT_EQ(pixel(), blue);
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    GLfloat clear[4] = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0], 1.0f);

    setGlCallMode(GlCallMode::none);
    gl.Disable(GL_FOG);
    gl.ClearColor(0, 1, 0, 1);
    gl.Clear(GL_COLOR_BUFFER_BIT);
    gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    EXPECT_EQ(gl.GetError(), GLenum(GL_NO_ERROR));
    GLuint name = 0;
    gl.GenTextures(1, &name);
    EXPECT_EQ(name, 0u);
    // A frame played for its history in the copy stays GL-free.
    playForHistoryOnly(false);
    EXPECT_EQ(glCallMode(), GlCallMode::none);
    setGlCallMode(GlCallMode::drawing);
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0], 1.0f);
    EXPECT_EQ(pixel(), blue);
    glDisable(GL_FOG);
}

// Whatever the frames call around the table would reach the driver from the
// copy that plays ahead, which has no GL context of its own.
TEST(GlCalls, TheFrameCodeCallsGlOnlyThroughTheTable) {
    const std::regex direct(R"((^|[^.\w])glu?(?!CallMode)[A-Z]\w*\s*\()");
    int files = 0;
    for (const char* folder : {"fx", "image", "script"}) {
        const std::filesystem::path dir = std::filesystem::path(DEMO_SOURCE_DIR) / "src" / folder;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
            const std::string name = entry.path().filename().string();
            // The warm-up saves and puts back the GL state around its rehearsal, while loading.
            if (!entry.is_regular_file() || name == "warm_up.cpp") continue;
            std::ifstream in(entry.path());
            std::string line;
            for (int n = 1; std::getline(in, line); ++n) {
                const std::string code = line.substr(0, line.find("//"));
                EXPECT_FALSE(std::regex_search(code, direct)) << entry.path() << ":" << n << ": " << line;
            }
            ++files;
        }
    }
    EXPECT_GT(files, 20);
}
