#include <gtest/gtest.h>
#include <png.h>

#include <fstream>
#include <string>
#include <vector>

#include "frame_folder.h"
#include "support/process.h"

// demo-flashes as a program: its folder of frames, its refusals, and the
// demo's own frames.

namespace {

ProcessResult flashes(const std::vector<std::string>& args) {
    return runProcess(DEMO_FLASHES_EXE, args, {}, waitLimitSeconds());
}

// Frames first .. first + count - 1 of a 24 x 18 picture, white where lit(frame).
void writeFrames(const std::string& dir, long first, long count, bool (*lit)(long)) {
    for (long f = first; f < first + count; ++f) {
        std::vector<unsigned char> rgb(24 * 18 * 3, lit(f) ? 255 : 0);
        png_image image = {};
        image.version = PNG_IMAGE_VERSION;
        image.width = 24;
        image.height = 18;
        image.format = PNG_FORMAT_RGB;
        ASSERT_TRUE(png_image_write_to_file(&image, (dir + "/" + frameFileName(f)).c_str(), 0,
                                            rgb.data(), 0, nullptr));
    }
}

bool everyOther(long f) { return f % 2 == 0; }
bool never(long) { return false; }

}  // namespace

TEST(DemoFlashes, CountsAFolderFromItsFirstFrame) {
    const std::string dir = makeTempDir("flashes");
    // At 10 fps, a frame on and a frame off: five flashes a second from 10 s,
    // the first window that holds ten transitions starting a frame later.
    writeFrames(dir, 100, 30, everyOther);
    ProcessResult r = flashes({"--rate", "10", dir});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.out.find("frames 100-129"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("    10        5    0"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("worst one-second window: 5 flashes, 0 red, from 10.100 s (frames 101-110)"),
              std::string::npos) << r.out;
    EXPECT_NE(r.out.find("fails"), std::string::npos);
    removeTree(dir);

    const std::string still = makeTempDir("flashes-still");
    writeFrames(still, 0, 12, never);
    r = flashes({"--rate", "10", still});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("passes"), std::string::npos) << r.out;
    removeTree(still);
}

TEST(DemoFlashes, BadFoldersAndFramesAreNamed) {
    ProcessResult r = flashes({"--rate", "60", "/nonexistent/frames"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("/nonexistent/frames: No such file or directory"), std::string::npos)
        << r.err;

    const std::string dir = makeTempDir("flashes-bad");
    r = flashes({"--rate", "60", dir});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("no frames"), std::string::npos) << r.err;

    writeFrames(dir, 0, 4, everyOther);
    std::ofstream(dir + "/" + frameFileName(2), std::ios::trunc) << "not a picture";
    r = flashes({"--rate", "60", dir});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find(dir + "/frame-000002.png: not a readable PNG"), std::string::npos)
        << r.err;

    writeFrames(dir, 2, 1, everyOther);
    writeFrames(dir, 5, 1, everyOther);
    r = flashes({"--rate", "60", dir});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("frame-000004.png is missing"), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;
    removeTree(dir);
}

TEST(DemoFlashes, CommandLineRefusals) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"/tmp"}, {"--rate", "0", "/tmp"}, {"--rate", "29.97", "/tmp"},
          {"--rate", "60"}, {"--rate", "60", "--area", "0", "/tmp"}, {"--rate", "60", "a", "b"},
          {"--rate", "60", "--frames", "/tmp"}}) {
        const ProcessResult r = flashes(args);
        EXPECT_EQ(r.exitCode, 2) << args.back();
        EXPECT_EQ(r.err.rfind("demo-flashes: ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find(" got "), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("; it takes "), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("\nusage: demo-flashes --rate"), std::string::npos) << r.err;
    }
    const ProcessResult help = flashes({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("usage: demo-flashes --rate", 0), 0u) << help.out;
}

// The demo's busiest stretch, where a viewer sees the picture flash in small
// patches in time with the music: no flash over a quarter of the picture, up
// to seven a second over WCAG's smaller area.
TEST(DemoFlashes, TheDemosBusiestStretch) {
    const std::string data = DEMO_BUILD_DIR "/data";
    if (!fileExists(DEMO_CAPTURE_EXE) || !fileExists(data + "/light.dat"))
        GTEST_SKIP() << "no capture program or generated data";
    const std::string dir = makeTempDir("flashes-demo");
    ProcessResult r = runProcess(DEMO_CAPTURE_EXE,
                                 {"--data", data, "--quiet", "--rate", "60", "--size", "160x120",
                                  "--png", "--time", "129-131", "-o", dir},
                                 {"DISPLAY="}, 600);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = flashes({"--rate", "60", dir});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("worst one-second window: 0 flashes, 0 red"), std::string::npos) << r.out;
    r = flashes({"--rate", "60", "--area", "2.8", dir});
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
    EXPECT_NE(r.out.find("worst one-second window: 7 flashes, 0 red, from 129.467 s"),
              std::string::npos) << r.out;
    removeTree(dir);
}
