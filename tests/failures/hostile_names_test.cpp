// Data files that name files outside the data folder, and data folders that
// are not folders: refused with a line naming the file and the real reason.
#include <gtest/gtest.h>

#include <signal.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "failure_support.h"

using namespace failtest;

namespace {

const std::vector<std::string> oneFrame = {"--rate", "1/5", "--at", "50"};

std::string flareWithLens(const std::string& fileName) {
    std::string text = generatedBytes("flare.cfg");
    const std::string key = "Filename: ";
    const size_t at = text.find(key);
    const size_t end = text.find('\r', at);
    return text.substr(0, at + key.size()) + fileName + text.substr(end);
}

}  // namespace

TEST(DemoHostileNames, LensPicturesOutsideTheDataFolderAreNotRead) {
    if (!haveData()) GTEST_SKIP() << "no generated data in " << generatedData;
    const std::string dir = installCopy("lens-outside");
    // A picture that loads fine where it is: only its place refuses it.
    const std::string outside = dir + "/secret-lens.jpg";
    ASSERT_TRUE(copyFile(generatedData + "/lens2.jpg", outside));
    for (const std::string& name :
         {outside, std::string("data\\..\\secret-lens.jpg"), std::string("data/x/../../secret-lens.jpg"),
          std::string("secret-lens.jpg"), std::string("/etc/shadow")}) {
        ASSERT_TRUE(replaceDataFile(dir, "flare.cfg", flareWithLens(name)));
        const ProcessResult r = runCapture(dir, oneFrame);
        EXPECT_EQ(r.exitCode, 0) << name << "\n" << r.err;
        const std::string line = "data\\flare.cfg: lens 1: the picture " + name +
                                 " lies outside the data folder; the lens has no picture\n";
        EXPECT_EQ(countOf(r.err, line), 3) << name << "\n" << r.err;  // loaded for three lights
        EXPECT_EQ(countOf(r.err, "Error: "), 0) << name << "\n" << r.err;
        EXPECT_EQ(r.err.find("not a JPEG"), std::string::npos) << name << "\n" << r.err;
    }
    // A name that climbs and comes back stays inside and loads.
    ASSERT_TRUE(replaceDataFile(dir, "flare.cfg", flareWithLens("data\\sub\\..\\lens2.jpg")));
    ASSERT_EQ(mkdir((dir + "/data/sub").c_str(), 0755), 0);
    const ProcessResult r = runCapture(dir, oneFrame);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.find("outside the data folder"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("cannot load picture"), std::string::npos) << r.err;
    removeTree(dir);
}

TEST(DemoHostileNames, ADataFolderThatIsNoFolderIsSaidToBeNone) {
    const std::string dir = makeTempDir("data-not-folder");
    const std::string file = dir + "/plain";
    std::ofstream(file) << "not a folder";
    ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0644), 0);
    for (const std::string& data : {file, dir + "/fifo", std::string("/dev/null")}) {
        const ProcessResult r =
            runProcess(DEMO_CAPTURE_EXE, {"--data", data, "--png", "-o", dir + "/frames", "--quiet",
                                          "--rate", "1/5", "--at", "1"},
                       headlessEnv(), waitLimitSeconds(), "/");
        EXPECT_FALSE(r.timedOut) << data;
        EXPECT_EQ(r.exitCode, 1) << data << "\n" << r.err;
        EXPECT_NE(r.err.find("data\\light.dat: " + data + " is not a folder\n"), std::string::npos)
            << data << "\n" << r.err;
        EXPECT_EQ(r.err.find("which does not exist"), std::string::npos) << data << "\n" << r.err;
    }
    removeTree(dir);
}

// The recording takes the soundtrack the player takes and refuses what it
// refuses, in the player's words.
TEST(DemoHostileNames, ASoundtrackThePlayerRefusesIsRefusedByTheCaptureToo) {
    if (!haveData()) GTEST_SKIP() << "no generated data in " << generatedData;
    if (!fileExists("/usr/bin/ffmpeg")) GTEST_SKIP() << "no ffmpeg";
    std::string wav = "RIFF";
    wav += std::string("\x24\x10\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x01\x00\x44\xac\x00\x00"
                       "\x88\x58\x01\x00\x02\x00\x10\x00" "data" "\x00\x10\x00\x00", 40);
    wav += std::string(4096, '\0');
    std::string zeroed = generatedBytes("5tfina.mp3");
    zeroed.replace(0, 100000, std::string(100000, '\0'));
    for (const auto& [what, bytes] :
         std::vector<std::pair<std::string, std::string>>{{"a WAV file", wav}, {"zeroed start", zeroed}}) {
        const std::string dir = installCopy("music-refused");
        ASSERT_TRUE(replaceDataFile(dir, "5tfina.mp3", bytes));
        const std::string line = "audio: " + dir + "/data/5tfina.mp3 does not decode as MP3\n";
        const ProcessResult player = runWindowed(dir, headlessEnv());
        const ProcessResult capture = runProcess(
            DEMO_CAPTURE_EXE,
            {"--data", dir + "/data", "--quiet", "--rate", "5", "--time", "0-1", "-o", dir + "/v.mp4"},
            headlessEnv(), waitLimitSeconds(), "/");
        EXPECT_EQ(player.exitCode, 1) << what << "\n" << player.err;
        EXPECT_EQ(capture.exitCode, 1) << what << "\n" << capture.err;
        const bool playerRefused = player.err.find(line) != std::string::npos;
        EXPECT_TRUE(playerRefused) << what << "\n" << player.err;
        EXPECT_NE(capture.err.find(line), std::string::npos) << what << "\n" << capture.err;
        EXPECT_FALSE(fileExists(dir + "/v.mp4")) << what;
        removeTree(dir);
    }
}

// A track that decodes for a second and is garbage after it: the capture
// reads it whole before the first frame and refuses a video longer than the
// music, keeping a shorter one.
TEST(DemoHostileNames, ASoundtrackDamagedAfterItsStartIsRefusedBeforeTheFirstFrame) {
    if (!haveData()) GTEST_SKIP() << "no generated data in " << generatedData;
    if (!fileExists("/usr/bin/ffmpeg")) GTEST_SKIP() << "no ffmpeg";
    // About a second of the 192 kbit/s track, then 400 KB of noise.
    std::string bytes = generatedBytes("5tfina.mp3").substr(0, 24000);
    unsigned noise = 12345;
    for (int i = 0; i < 400000; ++i) {
        noise = noise * 1103515245u + 12345u;
        bytes.push_back(char(noise >> 24));
    }
    const std::string dir = installCopy("music-damaged");
    ASSERT_TRUE(replaceDataFile(dir, "5tfina.mp3", bytes));
    const auto capture = [&](const char* time) {
        return runProcess(DEMO_CAPTURE_EXE,
                          {"--data", dir + "/data", "--quiet", "--rate", "5", "--time", time, "-o",
                           dir + "/v.mp4"},
                          headlessEnv(), waitLimitSeconds(), "/");
    };
    const ProcessResult longer = capture("0-3");
    EXPECT_EQ(longer.exitCode, 1) << longer.err;
    // Where the decoder gives up in the noise is its own: a second and a bit.
    const std::regex refusal(
        "demo-capture: the soundtrack .*/data/5tfina\\.mp3 decodes for 1\\.0[0-9] s only "
        "\\(damaged or cut short\\), the video runs to 3\\.00 s\n");
    EXPECT_TRUE(std::regex_search(longer.err, refusal)) << longer.err;
    EXPECT_FALSE(fileExists(dir + "/v.mp4"));
    const ProcessResult within = capture("0-1");
    EXPECT_EQ(within.exitCode, 0) << within.err;
    EXPECT_TRUE(fileExists(dir + "/v.mp4"));
    removeTree(dir);
}

TEST(DemoHostileNames, ASymbolicLinkLoopIsCalledOne) {
    if (!haveData()) GTEST_SKIP() << "no generated data in " << generatedData;
    const std::string dir = installCopy("link-loop", {"light.dat"});
    ASSERT_EQ(symlink("light.dat", (dir + "/data/light.dat").c_str()), 0);
    expectStartUpRefused(dir,
                         "data\\light.dat: its symbolic links lead round in a loop (" + dir +
                             "/data/light.dat)\n",
                         "cannot be read");
    removeTree(dir);
}

// A script can tell an interrupted run from a finished one.
TEST(DemoHostileNames, ThePlayerStoppedBySignalExitsWithItsCode) {
    if (!haveData()) GTEST_SKIP() << "no generated data in " << generatedData;
    const std::string dir = installCopy("player-signal");
    for (const int sig : {SIGTERM, SIGINT}) {
        // While the frames run: from the start of the soundtrack on.
        RunningDemo demo = startWindowed(dir, headlessEnv());
        const bool started = waitForSoundtrack(&demo);
        if (started) kill(demo.pid, sig);
        const bool ended = started && waitForEnd(&demo, waitLimitSeconds());
        const int status = demo.status;
        const std::string err = stopAndCollect(&demo);
        ASSERT_TRUE(started) << "the soundtrack never started\n" << err;
        ASSERT_TRUE(ended) << "still running " << waitLimitSeconds() << " s after signal " << sig;
        ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 128 + sig) << err;
    }
    removeTree(dir);
}
