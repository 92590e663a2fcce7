// Which frames a capture selects, where its files go while they are written,
// and how paths are handed to ffmpeg.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "capture_options.h"
#include "frame_folder.h"
#include "output_file.h"
#include "support/process.h"

namespace {
int parse(std::vector<std::string> args, CaptureOptions* o, std::string* err) {
    std::vector<char*> argv;
    static std::string name = "demo-capture";
    argv.push_back(name.data());
    for (std::string& a : args) argv.push_back(a.data());
    testing::internal::CaptureStderr();
    const int rc = parseCaptureOptions(int(argv.size()), argv.data(), o);
    *err = testing::internal::GetCapturedStderr();
    return rc;
}
}  // namespace

TEST(CaptureSelection, RangesThatSelectNoFrameAreRefused) {
    const std::vector<std::vector<std::string>> empty = {
        {"--rate", "1", "--frames", "300-400"},  // past the 228 frames at 1 fps
        {"--rate", "1", "--frames", "228-229"},
        {"--time", "229-235"},                   // past the 228 s
        {"--rate", "1", "--time", "227.5-228"},  // no frame time in [227.5, 228)
    };
    for (const auto& args : empty) {
        CaptureOptions o;
        std::string err;
        EXPECT_EQ(parse(args, &o, &err), 2) << args.back();
        EXPECT_NE(err.find("selects no frame"), std::string::npos) << args.back() << ": " << err;
        EXPECT_NE(err.find("the timeline has"), std::string::npos) << err;
    }
    // The last frame itself is still there, and a range reaching past the end is cut.
    CaptureOptions o;
    std::string err;
    ASSERT_EQ(parse({"--rate", "1", "--frames", "227-400"}, &o, &err), 0) << err;
    EXPECT_EQ(o.firstFrame, 227);
    EXPECT_EQ(o.endFrame, 228);
    ASSERT_EQ(parse({"--rate", "1", "--time", "227-235"}, &o, &err), 0) << err;
    EXPECT_EQ(o.endFrame - o.firstFrame, 1);
}

// Starts at or past the end select nothing, however far past (no frame number
// is computed from them), and an empty range is no range at all.
TEST(CaptureSelection, StartsPastTheEndAndEmptyRangesAreRefused) {
    for (const char* range : {"1e19-1e20", "228-", "228-300"}) {
        CaptureOptions o;
        std::string err;
        EXPECT_EQ(parse({"--time", range}, &o, &err), 2) << range;
        EXPECT_NE(err.find("selects no frame"), std::string::npos) << range << ": " << err;
    }
    for (const char* option : {"--time", "--frames"}) {
        CaptureOptions o;
        std::string err;
        EXPECT_EQ(parse({option, ""}, &o, &err), 2) << option;
        EXPECT_NE(err.find(std::string(option) + " got ''; it takes"), std::string::npos)
            << option << ": " << err;
    }
}

// Two moments on one frame would write one file for both.
TEST(CaptureSelection, TwoTimesOnOneFrameAreRefusedByName) {
    CaptureOptions same, apart, late;
    std::string err;
    EXPECT_EQ(parse({"--rate", "1", "--at", "1,1.0,1.2"}, &same, &err), 2);
    EXPECT_NE(err.find("demo-capture: --at got '1.0'; it takes times on frames of their own: 1.0 "
                       "falls on frame 1, as 1 does; the timeline has 228 frames at 1 fps"),
              std::string::npos)
        << err;
    EXPECT_EQ(parse({"--rate", "10", "--at", "1,1.1"}, &apart, &err), 0) << err;
    // Past the end: no talk of a last time that the rate would refuse.
    EXPECT_EQ(parse({"--rate", "1", "--at", "1e308"}, &late, &err), 2);
    EXPECT_EQ(err.find("last time"), std::string::npos) << err;
}

TEST(CaptureSelection, SingleFramesTakeNoRangeAndMustFallOnTheTimeline) {
    CaptureOptions o;
    std::string err;
    EXPECT_EQ(parse({"--at", "10", "--frames", "0-5"}, &o, &err), 2);
    EXPECT_NE(err.find("--at got '10'; it takes single frames, not beside --frames"),
              std::string::npos)
        << err;
    EXPECT_EQ(parse({"--time", "1-2", "--at", "10"}, &o, &err), 2);
    EXPECT_NE(err.find("--time"), std::string::npos) << err;
    // At 1 fps, 227.6 s rounds to frame 228, which the timeline no longer has.
    CaptureOptions late;
    EXPECT_EQ(parse({"--rate", "1", "--at", "100,227.6"}, &late, &err), 2);
    EXPECT_NE(err.find("--at got '227.6'; it takes times on the timeline: 227.6 falls on frame "
                       "228, after the last one"),
              std::string::npos)
        << err;
    CaptureOptions fine;
    EXPECT_EQ(parse({"--rate", "1", "--at", "227.4"}, &fine, &err), 0) << err;
}

TEST(CaptureOutput, TemporaryNamesStayBesideTheTargetAndKeepTheExtension) {
    const std::string pid = std::to_string(long(getpid()));
    EXPECT_EQ(temporaryNameBeside("out/clip.mp4"), "out/.clip.part-" + pid + ".mp4");
    EXPECT_EQ(temporaryNameBeside("clip.mp4"), ".clip.part-" + pid + ".mp4");
    EXPECT_EQ(temporaryNameBeside("/a.b/frame-000001.png"), "/a.b/.frame-000001.part-" + pid + ".png");
    EXPECT_EQ(temporaryNameBeside("dir/noext"), "dir/.noext.part-" + pid);
    // Within the file system's limit for a name, by a shorter stem.
    const std::string longName = std::string(250, 'n') + ".mp4";
    const std::string shortened = temporaryNameBeside("dir/" + longName);
    EXPECT_EQ(shortened.size() - 4, size_t(NAME_MAX));
    EXPECT_EQ(shortened.substr(shortened.size() - pid.size() - 10), ".part-" + pid + ".mp4");
}

TEST(CaptureOutput, FfmpegGetsPlainFilesNeverProtocolsOrOptions) {
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(ffmpegFileArgument("/tmp/x.mp4"), "file:/tmp/x.mp4");
    EXPECT_EQ(ffmpegFileArgument("file:y.mp4"), "file:" + std::string(cwd) + "/file:y.mp4");
    EXPECT_EQ(ffmpegFileArgument("-x.mp4"), "file:" + std::string(cwd) + "/-x.mp4");
    EXPECT_EQ(ffmpegFileArgument("http://host/a.mp4"),
              "file:" + std::string(cwd) + "/http://host/a.mp4");
}

TEST(CaptureOutput, CommitReplacesTheTargetOnlyWhenDone) {
    const std::string dir = makeTempDir("cap-commit");
    const std::string target = dir + "/clip.mp4";
    std::ofstream(target) << "old";
    const std::string temporary = createTemporaryBeside(target);
    ASSERT_FALSE(temporary.empty());
    EXPECT_TRUE(fileExists(temporary));
    std::ofstream(temporary) << "new";
    discardTemporary(temporary);
    EXPECT_FALSE(fileExists(temporary));
    std::ifstream kept(target);
    std::string text;
    kept >> text;
    EXPECT_EQ(text, "old");

    const std::string second = createTemporaryBeside(target);
    std::ofstream(second) << "new";
    EXPECT_TRUE(commitTemporary(second, target));
    EXPECT_FALSE(fileExists(second));
    std::ifstream replaced(target);
    replaced >> text;
    EXPECT_EQ(text, "new");
    // Nowhere to write: no temporary name can be made.
    std::string reason;
    EXPECT_EQ(createTemporaryBeside(dir + "/no-such-folder/clip.mp4", &reason), "");
    EXPECT_EQ(reason, "the folder " + dir + "/no-such-folder does not exist");
    // Nor where the target is a folder: the rename at the end would fail.
    mkdir((dir + "/taken.mp4").c_str(), 0755);
    EXPECT_EQ(createTemporaryBeside(dir + "/taken.mp4"), "");
    removeTree(dir);
}

TEST(CaptureOutput, FramesOfAnotherSizeInTheFolderAreFound) {
    const std::string dir = makeTempDir("cap-sizes");
    // The first 24 bytes of a PNG: signature and the IHDR chunk's sizes.
    auto png = [&](const std::string& name, unsigned w, unsigned h) {
        std::string head("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
        for (unsigned v : {w, h})
            for (int shift = 24; shift >= 0; shift -= 8) head.push_back(char((v >> shift) & 255));
        std::ofstream(dir + "/" + name, std::ios::binary) << head;
    };
    std::string other;
    int w = 0, h = 0;
    EXPECT_TRUE(folderFramesMatch(dir, 640, 480, &other, &w, &h));  // empty
    png("frame-000000.png", 640, 480);
    png("notes.png", 32, 32);  // not a frame name
    std::ofstream(dir + "/frame-000001.png") << "";  // no header: overwritten, not counted
    EXPECT_TRUE(folderFramesMatch(dir, 640, 480, &other, &w, &h));
    png("at-12.5.png", 800, 600);
    EXPECT_FALSE(folderFramesMatch(dir, 640, 480, &other, &w, &h));
    EXPECT_EQ(other, "at-12.5.png");
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    EXPECT_TRUE(folderFramesMatch(dir + "/missing", 640, 480, &other, &w, &h));
    removeTree(dir);
}
