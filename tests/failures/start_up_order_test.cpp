// The start-up steps run in a fixed order: window, assets, soundtrack. A
// failing step ends the start-up with its message; the steps after it never run.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "failure_support.h"

using namespace failtest;

namespace {

// The windowed program on a copy of the data that lacks `leaveOut`, headless
// but for one driver setting (NAME=value); it must end its start-up with
// exit code 1. The copy is removed again.
ProcessResult runRefused(const std::string& tag, const std::vector<std::string>& leaveOut,
                         const std::string& driver, const std::string& what) {
    const std::string dir = installCopy(tag, leaveOut);
    std::vector<std::string> env = headlessEnv();
    const std::string name = driver.substr(0, driver.find('=') + 1);
    for (std::string& setting : env)
        if (setting.rfind(name, 0) == 0) setting = driver;
    const ProcessResult r = runWindowed(dir, env);
    expectExitOne(r, what);
    removeTree(dir);
    return r;
}

}  // namespace

using DemoStartUpOrder = GeneratedDataTest;

TEST_F(DemoStartUpOrder, AVideoDriverWithoutOpenGlFailsBeforeAnythingIsLoaded) {
    // "dummy" exists but offers no GL; the data folder lacks a scene too.
    const ProcessResult r =
        runRefused("no-gl", {"light.dat"}, "SDL_VIDEODRIVER=dummy", "dummy video driver");
    EXPECT_EQ(countOf(r.err, "Error: cannot init opengl-window\n"), 1) << r.err;
    EXPECT_EQ(r.err.find("mesh-file not found"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("cannot load"), std::string::npos) << r.err;
}

TEST_F(DemoStartUpOrder, TheSoundtrackIsOpenedOnlyAfterAllAssetsLoaded) {
    // A scene failure ends the start-up before the audio device is asked for.
    const std::string noAudio = "SDL_AUDIODRIVER=no-such-driver";
    {
        const ProcessResult r =
            runRefused("order-scene", {"kopuli.dat"}, noAudio, "kopuli.dat missing, no audio");
        EXPECT_NE(r.err.find("cannot load scenes or textures"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("cannot play audio"), std::string::npos) << r.err;
    }
    // The last loads (slots 97-99, the water bitmaps) come before the soundtrack.
    {
        const ProcessResult r = runRefused("order-last", {"blue.jpg", "water.bmp"}, noAudio,
                                           "last pictures missing, no audio");
        const size_t picture = r.err.find("cannot load picture: data\\blue.jpg");
        const size_t bitmap = r.err.find("Failed to open DIB file data\\water.bmp.");
        const size_t audio = r.err.find("Error: cannot play audio\n");
        ASSERT_NE(picture, std::string::npos) << r.err;
        ASSERT_NE(bitmap, std::string::npos) << r.err;
        ASSERT_NE(audio, std::string::npos) << r.err;
        EXPECT_LT(picture, bitmap);
        EXPECT_LT(bitmap, audio);
        EXPECT_EQ(countOf(r.err, "Error: "), 2) << r.err;  // the bitmap and the audio
    }
}

TEST_F(DemoStartUpOrder, SoundtracksThatDoNotDecodeReportCannotPlayAudio) {
    const std::string track = generatedBytes("5tfina.mp3");
    ASSERT_GT(track.size(), 70000u);
    struct Case {
        const char* what;
        bool folder;
        std::string bytes;
    };
    const Case cases[] = {{"an empty soundtrack", false, ""},
                          {"a folder in place of the soundtrack", true, ""},
                          {"a picture named like the soundtrack", false, generatedBytes("felsen.jpg")},
                          {"the first 200 bytes of the soundtrack", false, track.substr(0, 200)}};
    for (const Case& c : cases) {
        const std::string dir = installCopy("audio-bad", {"5tfina.mp3"});
        if (c.folder) {
            ASSERT_TRUE(replaceWithFolder(dir, "5tfina.mp3"));
        } else {
            ASSERT_TRUE(replaceDataFile(dir, "5tfina.mp3", c.bytes));
        }
        const ProcessResult r = runWindowed(dir, headlessEnv());
        expectExitOne(r, c.what);
        EXPECT_EQ(countOf(r.err, "Error: cannot play audio\n"), 1) << c.what << "\n" << r.err;
        EXPECT_EQ(countOf(r.err, "Error: "), 1) << c.what << "\n" << r.err;
        removeTree(dir);
    }
}

// The pictures follow the timer, not the music: a soundtrack that ends after a
// few seconds still starts the demo, which is still running when stopped.
TEST_F(DemoStartUpOrder, AShortSoundtrackStillStartsTheDemo) {
    const std::string dir = installCopy("audio-short", {"5tfina.mp3"});
    // 64 KiB of a 192 kbit/s track: less than 3 s of music.
    ASSERT_TRUE(replaceDataFile(dir, "5tfina.mp3", generatedBytes("5tfina.mp3").substr(0, 65536)));
    RunningDemo demo = startWindowed(dir, headlessEnv());
    const bool started = waitForSoundtrack(&demo);
    // Watched from its first frame until well past the end of the music.
    const bool ended = started && waitForEnd(&demo, 6);
    const int status = demo.status;
    const std::string err = stopAndCollect(&demo);
    ASSERT_TRUE(started) << "the soundtrack never started\n" << err;
    EXPECT_FALSE(ended) << "ended with the music, wait status " << status << "\n" << err;
    EXPECT_EQ(countOf(err, "Error: "), 0) << err;
    removeTree(dir);
}

// A close request (SIGTERM arrives as one) while the frames run ends the demo
// through the close handling within a few seconds, with the code of a run
// that was stopped.
TEST_F(DemoStartUpOrder, ACloseRequestEndsTheDemoPromptly) {
    const std::string dir = installCopy("close");
    RunningDemo demo = startWindowed(dir, headlessEnv());
    const bool started = waitForSoundtrack(&demo);
    if (started) std::this_thread::sleep_for(std::chrono::seconds(1));
    const auto asked = std::chrono::steady_clock::now();
    if (started) kill(demo.pid, SIGTERM);
    const bool ended = started && waitForEnd(&demo, waitLimitSeconds());
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - asked).count();
    const int status = demo.status;
    const std::string err = stopAndCollect(&demo);
    ASSERT_TRUE(started) << "the soundtrack never started\n" << err;
    ASSERT_TRUE(ended) << "still running " << seconds << " s after the close request\n" << err;
    std::printf("ended %.2f s after the close request\n", seconds);
    EXPECT_LT(seconds, 10.0);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status) << "\n" << err;
    EXPECT_EQ(WEXITSTATUS(status), 128 + 15) << err;
    removeTree(dir);
}
