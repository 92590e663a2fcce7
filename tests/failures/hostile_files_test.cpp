// Data files that never deliver (named pipes), that are huge, or that are not
// there: the programs say which file and why, and never wait forever.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "failure_support.h"
#include "support/unprivileged.h"

using namespace failtest;

namespace {

// A named pipe without a writer in place of a data file of the copy.
bool replaceWithPipe(const std::string& dir, const std::string& name) {
    const std::string path = dir + "/data/" + name;
    std::remove(path.c_str());
    return mkfifo(path.c_str(), 0644) == 0;
}

std::string pipeLine(const std::string& name, const std::string& dir) {
    return "data\\" + name + ": not a regular file (" + dir + "/data/" + name + " is a named pipe)\n";
}

const std::vector<std::string> oneFrame = {"--rate", "1/5", "--at", "50"};

}  // namespace

TEST(DemoHostileFiles, ANamedPipeForASceneFileStopsTheStartUpAtOnce) {
    if (!haveData()) GTEST_SKIP() << "no generated data in " << generatedData;
    const std::string dir = installCopy("pipe-scene");
    ASSERT_TRUE(replaceWithPipe(dir, "light.dat"));
    const ProcessResult r = expectStartUpRefused(dir, "Error: " + pipeLine("light.dat", dir));
    EXPECT_NE(r.err.find("Error: cannot load scenes or textures"), std::string::npos) << r.err;
    removeTree(dir);
}

TEST(DemoHostileFiles, NamedPipesForPicturesBitmapsAndTheFlareFileAreSkipped) {
    if (!haveData()) GTEST_SKIP() << "no generated data in " << generatedData;
    // A picture, a lens picture named by the flare file, a water bitmap; then
    // the flare file itself.
    const std::vector<std::vector<std::string>> sets = {{"felsen.jpg", "lens1.jpg", "surface.bmp"},
                                                        {"flare.cfg"}};
    for (const auto& names : sets) {
        const std::string dir = installCopy("pipe-pictures");
        for (const std::string& n : names) ASSERT_TRUE(replaceWithPipe(dir, n));
        const ProcessResult r = runCapture(dir, oneFrame);
        EXPECT_FALSE(r.timedOut) << names[0] << "\n" << r.err;
        EXPECT_EQ(r.exitCode, 0) << names[0] << "\n" << r.err;
        for (const std::string& n : names)
            EXPECT_NE(r.err.find(pipeLine(n, dir)), std::string::npos) << n << "\n" << r.err;
        EXPECT_TRUE(fileExists(dir + "/frames/at-50.png")) << names[0];
        removeTree(dir);
    }
}

TEST(DemoHostileFiles, ANamedPipeForTheSoundtrackIsRefused) {
    if (!haveData()) GTEST_SKIP() << "no generated data in " << generatedData;
    const std::string dir = installCopy("pipe-music");
    ASSERT_TRUE(replaceWithPipe(dir, "5tfina.mp3"));
    const ProcessResult r = expectStartUpRefused(dir, pipeLine("5tfina.mp3", dir));
    EXPECT_NE(r.err.find("Error: cannot play audio\n"), std::string::npos) << r.err;

    // The video capture hands the soundtrack to ffmpeg, which would wait on it
    // while the capture waits on ffmpeg.
    if (fileExists("/usr/bin/ffmpeg")) {
        const std::string video = dir + "/clip.mp4";
        const ProcessResult v = runProcess(DEMO_CAPTURE_EXE,
                                           {"--data", dir + "/data", "--quiet", "--rate", "5",
                                            "--time", "0-1", "-o", video},
                                           headlessEnv(), waitLimitSeconds(), "/");
        EXPECT_FALSE(v.timedOut) << v.err;
        EXPECT_EQ(v.exitCode, 1) << v.err;
        EXPECT_NE(v.err.find(pipeLine("5tfina.mp3", dir)), std::string::npos) << v.err;
        EXPECT_FALSE(fileExists(video));
    }
    removeTree(dir);
}

TEST(DemoHostileFiles, AMissingSceneFileNamesItselfAndTheFolderSearched) {
    if (!haveData()) GTEST_SKIP() << "no generated data in " << generatedData;
    const std::string dir = installCopy("scene-named", {"aterie.dat"});
    ProcessResult r = runWindowed(dir, headlessEnv());
    EXPECT_EQ(r.exitCode, 1) << r.err;
    const std::string line = "data\\aterie.dat: no such file in " + dir + "/data\n";
    const size_t named = r.err.find(line);
    ASSERT_NE(named, std::string::npos) << r.err;
    // The one line comes right before the loader's own message.
    EXPECT_EQ(r.err.find("Error: mesh-file not found\n"), named + line.size()) << r.err;

    // Started without its data folder: the first scene file says where it looked.
    std::filesystem::remove_all(dir + "/data");
    r = runWindowed(dir, headlessEnv());
    EXPECT_EQ(r.exitCode, 1) << r.err;
    // Beside it, and where an installed copy keeps it (PREFIX/share/...).
    EXPECT_NE(r.err.find("data\\light.dat: no such file in " + dir +
                         "/data, which does not exist, nor does the installed data folder " +
                         dir.substr(0, dir.rfind('/')) +
                         "/share/quelltarn/data\nError: mesh-file not found\n"),
              std::string::npos)
        << r.err;
    removeTree(dir);
}

TEST(DemoHostileFiles, AnUnreadableSceneFileSaysPermissionDenied) {
    if (!haveData()) GTEST_SKIP() << "no generated data in " << generatedData;
    if (rerunUnprivileged()) return;  // root reads every file
    const std::string dir = installCopy("scene-locked", {"light.dat"});
    ASSERT_TRUE(replaceDataFile(dir, "light.dat", generatedBytes("light.dat")));
    ASSERT_EQ(chmod((dir + "/data/light.dat").c_str(), 0), 0);
    expectStartUpRefused(dir,
                         "Error: data\\light.dat: permission denied (" + dir +
                             "/data/light.dat)\nError: cannot load scenes or textures\n",
                         "mesh-file not found");
    removeTree(dir);
}

TEST(DemoHostileFiles, AHugeSceneFileIsRefusedWithoutReadingIt) {
    if (!haveData()) GTEST_SKIP() << "no generated data in " << generatedData;
    const std::string dir = installCopy("scene-huge", {"light.dat"});
    // Sparse: 2 GB long, nothing on disk.
    const int fd = open((dir + "/data/light.dat").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, 2LL << 30), 0);
    close(fd);
    expectStartUpRefused(
        dir, "Error: data\\light.dat: the file is too large (2048 MB, at most 64 MB are read)\n");
    removeTree(dir);
}
