#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture_options.h"
#include "shell/headless_run.h"
#include "support/process.h"

namespace {
int parse(std::vector<std::string> args, CaptureOptions* o) {
    std::vector<char*> argv;
    static std::string name = "demo-capture";
    argv.push_back(name.data());
    for (std::string& a : args) argv.push_back(a.data());
    return parseCaptureOptions(int(argv.size()), argv.data(), o);
}
}  // namespace

TEST(FrameClock, FrameTimesFollowTheRationalRate) {
    FrameRate r;
    ASSERT_TRUE(parseFrameRate("60", &r));
    EXPECT_EQ(frameTimeMs(r, 0), 0u);
    EXPECT_EQ(frameTimeMs(r, 1), 17u);   // 16.67 rounds to 17
    EXPECT_EQ(frameTimeMs(r, 3), 50u);
    EXPECT_EQ(frameTimeMs(r, 13680), 228000u);
    EXPECT_EQ(timelineFrameCount(r), 13680);
    ASSERT_TRUE(parseFrameRate("60000/1001", &r));
    EXPECT_EQ(frameTimeMs(r, 60), 1001u);
    EXPECT_EQ(timelineFrameCount(r), 13667);  // ceil(228 x 59.94...)
    EXPECT_FALSE(parseFrameRate("29.97", &r));
    EXPECT_FALSE(parseFrameRate("0", &r));
    EXPECT_FALSE(parseFrameRate("60/", &r));
    EXPECT_FALSE(parseFrameRate("abc", &r));
}

TEST(CaptureOptions, DefaultsToAFullMp4At60) {
    CaptureOptions o;
    ASSERT_EQ(parse({}, &o), 0);
    EXPECT_EQ(o.output, "demo.mp4");
    EXPECT_FALSE(o.png);
    EXPECT_EQ(o.offscreen.width, 640);
    EXPECT_EQ(o.offscreen.height, 480);
    EXPECT_EQ(o.firstFrame, 0);
    EXPECT_EQ(o.endFrame, 13680);
    EXPECT_FALSE(o.gentle);
    ASSERT_EQ(parse({"--gentle", "--png", "--time", "107-131"}, &o), 0);
    EXPECT_TRUE(o.gentle);
}

TEST(CaptureOptions, RangesAndSingleFrames) {
    CaptureOptions o;
    ASSERT_EQ(parse({"--rate", "10", "--frames", "100-", "-o", "out"}, &o), 0);
    EXPECT_TRUE(o.png);
    EXPECT_EQ(o.firstFrame, 100);
    EXPECT_EQ(o.endFrame, 2280);
    CaptureOptions t;
    ASSERT_EQ(parse({"--rate", "25", "--time", "10-20.5"}, &t), 0);
    EXPECT_EQ(t.firstFrame, 250);
    EXPECT_EQ(t.endFrame, 513);
    EXPECT_FALSE(t.png);  // still the MP4, of the range
    CaptureOptions a;
    ASSERT_EQ(parse({"--at", "12.5,80,215.25"}, &a), 0);
    EXPECT_TRUE(a.png);
    EXPECT_EQ(a.output, "frames");
    ASSERT_EQ(a.atTimes.size(), 3u);
    EXPECT_DOUBLE_EQ(a.atTimes[2], 215.25);
    EXPECT_EQ(a.atNames[0], "12.5");
}

TEST(CaptureOptions, ClearErrors) {
    const std::vector<std::vector<std::string>> bad = {
        {"--bogus"},         {"--size", "640x400"}, {"--size", "20x15"},  // not 4:3; odd
        {"--size", "axb"},   {"--rate", "29.97"},   {"--frames", "50-10"},
        {"--time", "x-3"},   {"--at", "300"},       {"--frames", "1-2", "--time", "0-1"},
        {"--png", "-o", "video.mp4"}, {"--rate"}};
    for (const auto& args : bad) {
        CaptureOptions o;
        testing::internal::CaptureStderr();
        const int rc = parse(args, &o);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(rc, 2) << args[0];
        EXPECT_NE(err.find("demo-capture: "), std::string::npos) << args[0];
    }
    CaptureOptions o;
    testing::internal::CaptureStderr();
    parse({"--size", "20x15"}, &o);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("multiple of 2"), std::string::npos);
    testing::internal::CaptureStderr();
    parse({"--size", "640x400"}, &o);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("4:3"), std::string::npos);
    testing::internal::CaptureStderr();
    parse({"--frobnicate"}, &o);
    EXPECT_NE(testing::internal::GetCapturedStderr().find(
                  "demo-capture: the command line got '--frobnicate'; it takes the options below\n"
                  "usage: demo-capture"),
              std::string::npos);
}

TEST(CaptureOptions, LargerSizesAreAllowed) {
    CaptureOptions o;
    ASSERT_EQ(parse({"--size", "1280x960"}, &o), 0);
    EXPECT_EQ(o.offscreen.width, 1280);
    EXPECT_EQ(o.offscreen.height, 960);
}

// Each refusal of the programs' options gives its real reason.
TEST(CaptureOptions, RefusedOptionsSayWhy) {
    const struct {
        const char* program;
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {DEMO_CAPTURE_EXE, {"--size", "16384x12288"},
         "demo-capture: --size got '16384x12288'; it takes WxH, 4:3, each a multiple of 2, "
         "8192x6144 at most (such as 1280x960)\n"},
        {DEMO_BENCH_EXE, {"--size", "16384x12288"}, "demo-bench: --size got '16384x12288'; it takes"},
        {DEMO_CAPTURE_EXE, {"--time", "228-241"},
         "selects no frame"},
        {DEMO_CAPTURE_EXE, {"--time", "20-10"},
         "demo-capture: --time got '20-10'; it takes S-E: seconds of music from S up to E, such as "
         "10-20.5, S before E, either end left out\n"},
        {DEMO_CAPTURE_EXE, {"--time", "x-3"}, "demo-capture: --time got 'x-3'; it takes S-E"},
        {DEMO_CAPTURE_EXE, {"--at", "228"},
         "demo-capture: --at got '228'; it takes times in seconds, such as 12.5, from 0 to below "
         "the timeline's end at 228 s, between commas\n"},
    };
    for (const auto& c : cases) {
        const ProcessResult r = runProcess(c.program, c.args, {}, waitLimitSeconds());
        EXPECT_EQ(r.exitCode, 2) << c.message << "\n" << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    // An end past the timeline is clipped, however far past it is.
    CaptureOptions o;
    EXPECT_EQ(parse({"--rate", "1", "--time", "227-241"}, &o), 0);
    EXPECT_EQ(o.firstFrame, 227);
    EXPECT_EQ(o.endFrame, 228);
}

TEST(CaptureOptions, PiecesOfARecordingAreVideosAndAJoinAddsTheSound) {
    CaptureOptions o;
    ASSERT_EQ(parse({"--lossless", "--no-audio", "--frames", "10-20", "-o", "p.mp4"}, &o), 0);
    EXPECT_TRUE(o.lossless && o.noAudio);
    EXPECT_FALSE(o.png);
    CaptureOptions j;
    ASSERT_EQ(parse({"--join", "list.txt", "--time", "1-2", "-o", "v.mp4"}, &j), 0);
    EXPECT_EQ(j.joinList, "list.txt");
    // Only a video can be lossless, a piece or a join; a join is never silent.
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--lossless", "--png", "-o", "frames"},
          std::vector<std::string>{"--no-audio", "-o", "frames"},
          std::vector<std::string>{"--join", "l.txt", "--at", "3"},
          std::vector<std::string>{"--join", "l.txt", "--no-audio", "-o", "v.mp4"},
          std::vector<std::string>{"--join", "", "-o", "v.mp4"}}) {
        CaptureOptions b;
        EXPECT_EQ(parse(bad, &b), 2) << bad[0] << " " << bad[1];
    }
}

TEST(CaptureOptions, PrintFramesSaysWhatTheOptionsSelect) {
    ProcessResult r = runProcess(DEMO_CAPTURE_EXE,
                                 {"--rate", "30000/1001", "--size", "320x240", "--time", "10-12",
                                  "--print-frames"},
                                 {"DISPLAY="}, 60);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "frames 300-360 rate 30000/1001 size 320x240\n");
    r = runProcess(DEMO_CAPTURE_EXE, {"--frames", "999999-", "--print-frames"}, {"DISPLAY="}, 60);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("demo-capture: --frames got '999999-'; it takes A-B"), std::string::npos)
        << r.err;
}
