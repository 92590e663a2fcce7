// What demo-capture and demo-bench read alike: the strict readers of rates,
// seconds and ranges, one message for one mistake in both programs, and the
// largest picture the GL draws, refused before anything is written.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "drawable_limit.h"
#include "offscreen_options.h"
#include "options/option_values.h"
#include "support/process.h"

namespace {
const std::vector<std::string> headless = {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy",
                                           "DISPLAY="};

// What a program said about its command line, without its name.
std::string refusalOf(const char* program, const std::string& name,
                      const std::vector<std::string>& args) {
    const ProcessResult r = runProcess(program, args, headless, waitLimitSeconds());
    EXPECT_EQ(r.exitCode, 2) << name << " " << args[0] << "\n" << r.err;
    const std::string prefix = name + ": ";
    EXPECT_EQ(r.err.rfind(prefix, 0), 0u) << r.err;
    EXPECT_NE(r.err.find("\nusage: " + name + " ["), std::string::npos) << r.err;
    return r.err.substr(prefix.size(), r.err.find('\n') - prefix.size());
}
}  // namespace

TEST(OffscreenOptions, RatesAreWholeNumbersOrFractionsOfThem) {
    FrameRate r;
    ASSERT_TRUE(parseFrameRate("30000/1001", &r));
    EXPECT_EQ(r.num, 30000);
    EXPECT_EQ(r.den, 1001);
    for (const char* bad : {"+60", " 60", "60 ", "60/ 1", "60/+1", "/1", "60/1/2", "100001",
                            "1/100001", "0/1", "60/0", "0x3c", ""}) {
        EXPECT_FALSE(parseFrameRate(bad, &r)) << bad;
        EXPECT_EQ(r.num, 30000) << bad;  // untouched by refusals
    }
}

TEST(OffscreenOptions, SecondsAreDecimalNumbersOnly) {
    const struct {
        const char* text;
        double seconds;
    } good[] = {{"12.5", 12.5}, {".5", 0.5}, {"5.", 5}, {"0", 0}, {"1e3", 1000}, {"2.5E-1", 0.25}};
    for (const auto& g : good) {
        double s = -1;
        EXPECT_TRUE(parseSeconds(g.text, &s)) << g.text;
        EXPECT_DOUBLE_EQ(s, g.seconds) << g.text;
    }
    for (const char* bad : {"", ".", "-1", "+1", " 1", "1 ", "0x10", "inf", "nan", "1e", "1e+",
                            "1e999", "1.2.3", "1,5"}) {
        double s = -1;
        EXPECT_FALSE(parseSeconds(bad, &s)) << bad;
        EXPECT_EQ(s, -1) << bad;
    }
    std::string a, b;
    EXPECT_TRUE(splitRange("10-", &a, &b));
    EXPECT_EQ(a, "10");
    EXPECT_EQ(b, "");
    EXPECT_FALSE(splitRange("-", &a, &b));
    EXPECT_FALSE(splitRange("10", &a, &b));
}

// The same mistake in an option both take reads the same in both programs,
// and an option without its value is named as such, not as unknown.
TEST(Bench, SharedOptionsAreRefusedInTheCapturesWords) {
    const std::vector<std::vector<std::string>> mistakes = {
        {"--msaa", "+4"}, {"--rate", "29.97"}, {"--rate", "+60"}, {"--size", "641x480"},
        {"--size", "16384x12288"}, {"--frobnicate"}, {"--msaa"}, {"--data"}};
    for (const auto& args : mistakes) {
        const std::string capture = refusalOf(DEMO_CAPTURE_EXE, "demo-capture", args);
        const std::string bench = refusalOf(DEMO_BENCH_EXE, "demo-bench", args);
        EXPECT_EQ(capture, bench) << args[0];
        if (args.size() == 1 && args[0] != "--frobnicate") {
            EXPECT_EQ(bench.rfind(args[0] + " got nothing; it takes ", 0), 0u) << bench;
        }
    }
}

TEST(OffscreenOptions, TheGLsLimitIsNamedOnlyWhenPassed) {
    EXPECT_EQ(drawableProblem(16384, 16384, 12288), "");
    EXPECT_EQ(drawableProblem(16384, 32768, 24576), "the GL draws 16384 pixels across at most");
    EXPECT_EQ(drawableProblem(4096, 4000, 4097), "the GL draws 4096 pixels across at most");
    EXPECT_EQ(drawableProblem(0, 32768, 24576), "");  // no limit known: the run says what fails
}

// A supersampled picture past the GL's limit would take gigabytes before it
// failed: it is refused before an output folder, a video or a frame list is
// made or touched, and before anything is loaded (there is no data here). The
// limit named is the GL's own; a window of the capture has SDL's as well.
TEST(Capture, PicturesLargerThanTheGLDrawsAreRefusedBeforeAnythingIsWritten) {
    const int limit = probeDrawableLimit();
    if (limit == 0) GTEST_SKIP() << "no GL context to ask";
    const std::string dir = makeTempDir("too-large");
    const std::vector<std::string> big = {"--data", "/no-such-data", "--size", "8192x6144"};
    const std::string says = " it draws 32768x24576 pixels, ";
    const std::string why = limit < 32768
                                ? "the GL draws " + std::to_string(limit) + " pixels across at most"
                                : "SDL opens windows of 16384 pixels across at most";
    for (const std::string& output : {dir + "/frames", dir + "/clip.mp4"}) {
        std::vector<std::string> args = big;
        args.insert(args.end(), {"--supersample", "4", "-o", output});
        const ProcessResult r = runProcess(DEMO_CAPTURE_EXE, args, headless, waitLimitSeconds());
        EXPECT_EQ(r.exitCode, 2) << output << "\n" << r.err;
        EXPECT_NE(r.err.find("demo-capture: --size got '8192x6144'; it takes a picture that can be "
                             "drawn: with --supersample 4" + says + why),
                  std::string::npos)
            << r.err;
    }
    const std::string list = dir + "/frames.txt";
    std::ofstream(list) << "kept\n";
    std::vector<std::string> args = big;
    args.insert(args.end(), {"--compare", "supersample4", "--frames", list});
    if (limit < 32768) {  // a framebuffer of its own: only the GL's limit
        const ProcessResult b = runProcess(DEMO_BENCH_EXE, args, headless, waitLimitSeconds());
        EXPECT_EQ(b.exitCode, 2) << b.err;
        EXPECT_NE(b.err.find("demo-bench: --size got '8192x6144'; it takes a picture that can be "
                             "drawn: with --compare supersample4" + says + why),
                  std::string::npos)
            << b.err;
        EXPECT_EQ(slurp(list), "kept\n");
    }
    std::remove(list.c_str());
    // Nothing else was made: no folder, no video, no temporary beside it.
    EXPECT_EQ(rmdir(dir.c_str()), 0) << "something was left in " << dir;
    removeTree(dir);
}
