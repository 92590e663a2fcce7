// The options library every program reads its command line with: one
// refusal, one help, one reader per kind of value, and the frame rate's
// conversions between frames and time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "options/frame_rate.h"
#include "options/option_reader.h"
#include "options/option_values.h"
#include "shell/seek_replay.h"

namespace {
const ProgramUsage tool = {"tool", "usage: tool [--rate N]\n"};

// What reading `args` says on stderr, and its exit code (-1: read whole).
std::string readAll(std::vector<const char*> args, int* rc) {
    args.insert(args.begin(), "tool");
    OptionReader r = startOptions(tool, int(args.size()), const_cast<char**>(args.data()));
    testing::internal::CaptureStderr();
    *rc = -1;
    std::string v;
    while (*rc < 0 && nextOption(&r)) {
        if (r.option != "--rate")
            *rc = refuseUnknown(r);
        else if ((*rc = optionValue(&r, &v, "N or N/D")) == 0)
            *rc = -1;
    }
    return testing::internal::GetCapturedStderr();
}
}  // namespace

TEST(OptionLibrary, ARefusalNamesProgramOptionWhatItGotAndWhatItTakesThenTheUsage) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(refuseOption(tool, "--rate", std::string("29.97"), "N or N/D"), 2);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "tool: --rate got '29.97'; it takes N or N/D\nusage: tool [--rate N]\n");
    int rc = 0;
    EXPECT_EQ(readAll({"--rate"}, &rc), "tool: --rate got nothing; it takes N or N/D\n"
                                        "usage: tool [--rate N]\n");
    EXPECT_EQ(rc, 2);
    EXPECT_EQ(readAll({"--rate", "5", "--fast"}, &rc),
              "tool: the command line got '--fast'; it takes the options below\n"
              "usage: tool [--rate N]\n");
    EXPECT_EQ(rc, 2);
    // An empty value is a value, shown as one.
    testing::internal::CaptureStderr();
    refuseOption(tool, "--rate", std::string(), "N or N/D");
    EXPECT_EQ(testing::internal::GetCapturedStderr().rfind("tool: --rate got ''; it takes", 0), 0u);
    EXPECT_EQ(readAll({"--rate", "5"}, &rc), "");
    EXPECT_EQ(rc, -1);
}

TEST(OptionLibrary, HelpIsTheUsageOnStandardOutput) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(showHelp(tool), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "usage: tool [--rate N]\n");
    std::vector<const char*> args = {"tool", "-h", "--help", "-help"};
    OptionReader r = startOptions(tool, int(args.size()), const_cast<char**>(args.data()));
    for (bool help : {true, true, false}) {
        ASSERT_TRUE(nextOption(&r));
        EXPECT_EQ(helpAsked(r), help) << r.option;
    }
    EXPECT_FALSE(nextOption(&r));
}

// The one whole-number reader: digits only, in range, and nothing that wraps.
TEST(OptionLibrary, WholeNumbersAreDigitsWithinTheirRange) {
    long n = -1;
    EXPECT_TRUE(parseWholeNumber("4096", 1, 4096, &n));
    EXPECT_EQ(n, 4096);
    EXPECT_TRUE(parseWholeNumber("007", 0, 8, &n));
    EXPECT_EQ(n, 7);
    for (const char* bad : {"", "+4", "-4", " 4", "4 ", "4x", "0x10", "1e3", "4097", "0",
                            "99999999999999999999"}) {
        EXPECT_FALSE(parseWholeNumber(bad, 1, 4096, &n)) << bad;
        EXPECT_EQ(n, 7) << bad;  // untouched by refusals
    }
    EXPECT_FALSE(parseWholeNumber(nullptr, 0, 8, &n));
}

TEST(OptionLibrary, ACommaListKeepsEveryItemInOrderEmptyOnesToo) {
    using List = std::vector<std::string>;
    EXPECT_EQ(splitCommaList("3,10.5,17"), (List{"3", "10.5", "17"}));
    EXPECT_EQ(splitCommaList("1,,2"), (List{"1", "", "2"}));
    EXPECT_EQ(splitCommaList("1,"), (List{"1", ""}));
    EXPECT_EQ(splitCommaList(""), (List{""}));
}

TEST(OptionLibrary, PlainSecondsAreSecondsWithoutAnExponent) {
    double s = -1;
    EXPECT_TRUE(parsePlainSeconds("95.5", &s));
    EXPECT_EQ(s, 95.5);
    EXPECT_TRUE(parseSeconds("1e2", &s));
    EXPECT_EQ(s, 100.0);
    for (const char* bad : {"1e2", "1E2", "-1", "", "."}) EXPECT_FALSE(parsePlainSeconds(bad, &s)) << bad;
    EXPECT_EQ(s, 100.0);
}

TEST(OptionLibrary, SizesAreEvenFourByThreeUpTo8192) {
    int w = 0, h = 0;
    for (auto [text, width] : {std::pair{"640x480", 640}, {"800x600", 800}, {"8192x6144", 8192}}) {
        ASSERT_TRUE(parseFrameSize(text, &w, &h)) << text;
        EXPECT_EQ(w, width);
        EXPECT_EQ(h * 4, w * 3);
    }
    for (const char* bad : {"641x480", "20x15", "640x481", "640x480x", "640*480", "+640x480",
                            " 640x480", "8196x6147", "8200x6150", "0x0", "x", ""}) {
        EXPECT_FALSE(parseFrameSize(bad, &w, &h)) << bad;
        EXPECT_EQ(w, 8192) << bad;
    }
}

// Frames to time and back: whole frames land on themselves at any rate, a
// hair below a frame's time is that frame, and the seek's 60 fps clock is
// the same clock.
TEST(OptionLibrary, FramesAndTimesConvertBothWaysAtAnyRate) {
    const FrameRate ntsc = {60000, 1001}, one = {1, 1}, sixty;
    EXPECT_EQ(frameRateText(ntsc), "60000/1001 fps");
    EXPECT_EQ(frameRateText(sixty), "60 fps");
    EXPECT_DOUBLE_EQ(frameSeconds(ntsc, 60), 1.001);
    EXPECT_EQ(frameTimeMs(ntsc, 60), 1001u);
    for (const FrameRate& rate : {ntsc, one, sixty, FrameRate{30000, 1001}, FrameRate{25, 1}})
        for (long frame : {0L, 1L, 59L, 1000L, 13679L}) {
            EXPECT_EQ(firstFrameAtSeconds(rate, frameSeconds(rate, frame)), frame);
            EXPECT_EQ(nearestFrame(rate, frameSeconds(rate, frame)), frame);
        }
    EXPECT_EQ(firstFrameAtSeconds(sixty, 10.0 - 1e-12), 600);
    EXPECT_EQ(firstFrameAtSeconds(sixty, 10.001), 601);
    EXPECT_EQ(nearestFrame(one, 227.4) + 1, nearestFrame(one, 227.6));
    EXPECT_EQ(frameWholeSeconds(sixty, 7199), 119);
    EXPECT_EQ(frameWholeSeconds(ntsc, 7192), 119);  // 119.987 s
    EXPECT_EQ(frameWholeSeconds(ntsc, 7200), 120);
    // The frames below the timeline's end, and below its first millisecond.
    const struct {
        FrameRate rate;
        int64_t ms;
        long frames;
    } below[] = {{sixty, 228000, 13680}, {ntsc, 228000, 13667}, {one, 1, 1}, {one, 0, 0}};
    for (const auto& b : below) EXPECT_EQ(framesBeforeMs(b.rate, b.ms), b.frames) << b.ms;
    for (uint32_t ms : {0u, 1u, 16u, 17u, 1000u, 227999u}) {
        EXPECT_EQ(framesBeforeMs(sixty, ms), seekFrameAtMs(ms)) << ms;
        EXPECT_EQ(frameTimeMs(sixty, long(ms)), seekFrameMs(long(ms))) << ms;
    }
}
