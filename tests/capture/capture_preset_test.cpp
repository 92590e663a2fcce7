// The x264 preset of demo-capture: named presets only, today's quality by
// default, and the one asked for is the one that encodes.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "capture_options.h"
#include "support/process.h"

namespace {
const std::string dataDir = DEMO_BUILD_DIR "/data";

int parseArgs(std::vector<std::string> args, CaptureOptions* o) {
    std::string name = "demo-capture";
    std::vector<char*> argv = {name.data()};
    for (std::string& a : args) argv.push_back(a.data());
    return parseCaptureOptions(int(argv.size()), argv.data(), o);
}
}  // namespace

TEST(CaptureOptions, PresetsAreNamedOnesAndVeryfastByDefault) {
    CaptureOptions plain;
    EXPECT_EQ(parseArgs({}, &plain), 0);
    EXPECT_EQ(plain.preset, "veryfast");
    for (const char* p : {"ultrafast", "medium", "veryslow"}) {
        CaptureOptions o;
        EXPECT_EQ(parseArgs({"--preset", p}, &o), 0) << p;
        EXPECT_EQ(o.preset, p);
    }
    for (const char* p : {"", "Ultrafast", "placebo2", "-crf"}) {
        CaptureOptions o;
        testing::internal::CaptureStderr();
        EXPECT_EQ(parseArgs({"--preset", p}, &o), 2) << p;
        EXPECT_NE(testing::internal::GetCapturedStderr().find("preset"), std::string::npos);
    }
    CaptureOptions missing;
    testing::internal::CaptureStderr();
    EXPECT_EQ(parseArgs({"--preset"}, &missing), 2);
    testing::internal::GetCapturedStderr();
}

TEST(Capture, TheEncoderRunsWithThePresetAskedFor) {
    if (!fileExists(dataDir + "/light.dat")) GTEST_SKIP() << "no generated data";
    if (!fileExists("/usr/bin/ffmpeg")) GTEST_SKIP() << "no ffmpeg";
    const std::string dir = makeTempDir("cap-preset");
    // x264 records its settings in the stream: ultrafast turns CABAC off,
    // veryfast keeps it.
    for (const char* preset : {"ultrafast", "veryfast"}) {
        const std::string out = dir + "/" + preset + ".mp4";
        std::vector<std::string> args = {"--data", dataDir, "--quiet", "--rate", "10",
                                         "--time", "14-14.5", "-o", out};
        if (std::string(preset) == "ultrafast") args.insert(args.end(), {"--preset", preset});
        const ProcessResult r = runProcess(DEMO_CAPTURE_EXE, args, {"DISPLAY="}, 300);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const std::string bytes = slurp(out);
        const bool ultra = std::string(preset) == "ultrafast";
        EXPECT_NE(bytes.find(ultra ? "cabac=0" : "cabac=1"), std::string::npos) << preset;
    }
    removeTree(dir);
}
