#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/install_copy.h"
#include "support/process.h"

namespace {
const std::string generatedData = DEMO_BUILD_DIR "/data";

bool haveData() { return fileExists(generatedData + "/light.dat"); }

// A copy of the windowed program in a folder of its own, with the generated
// data linked in except the files named.
std::string installCopy(const std::string& tag, const std::vector<std::string>& leaveOut,
                        bool withData = true) {
    return installProgramCopy(DEMO_WINDOWED_EXE, tag, leaveOut, withData);
}

ProcessResult runDemoIn(const std::string& dir, std::vector<std::string> env) {
    return runProcess(dir + "/demo-windowed", {}, env, waitLimitSeconds(), "/");
}
}  // namespace

TEST(StartUp, WithoutADataFolderReportsTheSceneFailure) {
    const std::string dir = installCopy("nodata", {}, false);
    const ProcessResult r = runDemoIn(dir, headlessEnv());
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.err.find("mesh-file not found"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("cannot load scenes or textures"), std::string::npos) << r.err;
    EXPECT_LT(r.err.find("mesh-file not found"), r.err.find("cannot load scenes or textures"));
    removeTree(dir);
}

TEST(StartUp, WithoutADisplayReportsTheWindowFailure) {
    for (const char* exe : {DEMO_WINDOWED_EXE, DEMO_FULLSCREEN_EXE}) {
        std::vector<std::string> env = headlessEnv();
        env[0] = "SDL_VIDEODRIVER=no-such-display";
        const ProcessResult r = runProcess(exe, {}, env, waitLimitSeconds());
        EXPECT_FALSE(r.timedOut) << exe;
        EXPECT_EQ(r.exitCode, 1) << exe << r.err;
        EXPECT_NE(r.err.find("cannot init opengl-window"), std::string::npos) << r.err;
    }
}

TEST(StartUp, WithNoDisplayAtAllBothBuildsRefuseToPlayUnseen) {
    // As over ssh: no X or Wayland display and no driver asked for. SDL would
    // fall back to a driver that shows nothing; the programs must say so.
    for (const char* exe : {DEMO_WINDOWED_EXE, DEMO_FULLSCREEN_EXE}) {
        const std::vector<std::string> env = {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY",
                                              "SDL_AUDIODRIVER=dummy"};
        const ProcessResult r = runProcess(exe, {}, env, waitLimitSeconds());
        EXPECT_FALSE(r.timedOut) << exe;
        EXPECT_EQ(r.exitCode, 1) << exe << "\n" << r.err;
        EXPECT_NE(r.err.find("cannot init opengl-window"), std::string::npos) << exe << r.err;
        // Refused before anything was loaded.
        EXPECT_EQ(r.err.find("mesh-file"), std::string::npos) << r.err;
    }
}

TEST(StartUp, SoundtrackFailuresReportCannotPlayAudio) {
    if (!haveData()) GTEST_SKIP() << "no generated data in " << generatedData;
    struct Case {
        const char* what;
        bool removeTrack;
        bool garbageTrack;
        bool noDevice;
    };
    const Case cases[] = {{"missing soundtrack", true, false, false},
                          {"soundtrack that is not MP3", true, true, false},
                          {"no audio device", false, false, true}};
    for (const Case& c : cases) {
        const std::string dir = installCopy("audio", c.removeTrack ? std::vector<std::string>{"5tfina.mp3"}
                                                                    : std::vector<std::string>{});
        if (c.garbageTrack) {
            std::ofstream(dir + "/data/5tfina.mp3") << "this is a text file, not a soundtrack\n";
        }
        std::vector<std::string> env = headlessEnv();
        if (c.noDevice) env[1] = "SDL_AUDIODRIVER=no-such-device";
        const ProcessResult r = runDemoIn(dir, env);
        EXPECT_FALSE(r.timedOut) << c.what;
        EXPECT_EQ(r.exitCode, 1) << c.what << "\n" << r.err;
        EXPECT_NE(r.err.find("cannot play audio"), std::string::npos) << c.what << "\n" << r.err;
        removeTree(dir);
    }
}

// The real program, headless, from the first frame to the normal end.
// Help that cannot be written is a failure, as in the offscreen programs.
TEST(StartUp, HelpIntoAFullStandardOutputFails) {
    if (!fileExists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    for (const std::string program : {DEMO_WINDOWED_EXE, DEMO_FULLSCREEN_EXE}) {
        const ProcessResult r =
            runProcess("/bin/sh", {"-c", "exec '" + program + "' --help >/dev/full"}, {}, 60);
        EXPECT_EQ(r.exitCode, 1) << program;
        EXPECT_NE(r.err.find("cannot write to standard output"), std::string::npos) << r.err;
    }
}

TEST(EndToEnd, WholeTimelinePlaysToItsNormalEnd) {
    if (!haveData()) GTEST_SKIP() << "no generated data in " << generatedData;
    const ProcessResult r = runProcess(DEMO_WINDOWED_EXE, {}, headlessEnv(), 420);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.signal, 0) << r.err;
    EXPECT_EQ(r.exitCode, 0) << r.err;
}
