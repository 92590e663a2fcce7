// The command line of demo and demo-windowed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/shell_options.h"
#include "support/process.h"

namespace {
bool parse(std::vector<const char*> args, int fullscreen, WindowOptions* o, bool* help) {
    args.insert(args.begin(), "demo");
    return parseShellOptions(int(args.size()), const_cast<char**>(args.data()), fullscreen, o,
                             help);
}
}  // namespace

TEST(ShellOptions, NoOptionsKeepThePlainPictureAndEachOptionSetsItsField) {
    WindowOptions o;
    bool help = true;
    ASSERT_TRUE(parse({}, 1, &o, &help));
    EXPECT_EQ(o.msaaSamples, 0);
    EXPECT_FALSE(o.desktopSize);
    EXPECT_FALSE(help);
    for (int n : {2, 4, 8, 16}) {
        const std::string v = std::to_string(n);
        ASSERT_TRUE(parse({"--msaa", v.c_str()}, 0, &o, &help));
        EXPECT_EQ(o.msaaSamples, n);
    }
    ASSERT_TRUE(parse({"--desktop-size", "--msaa", "4"}, 1, &o, &help));
    EXPECT_TRUE(o.desktopSize);
    EXPECT_EQ(o.msaaSamples, 4);
    ASSERT_TRUE(parse({"--help"}, 1, &o, &help));
    EXPECT_TRUE(help);
}

TEST(ShellOptions, RefusesCountsThatAreNoPowerOfTwoAndOptionsOfTheOtherBuild) {
    WindowOptions o;
    bool help = false;
    for (const char* bad : {"0", "1", "3", "32", "4x", "", "-4", "+4", " 4", "04", "4 "})
        EXPECT_FALSE(parse({"--msaa", bad}, 1, &o, &help)) << bad;
    EXPECT_FALSE(parse({"--msaa"}, 1, &o, &help));
    EXPECT_FALSE(parse({"--desktop-size"}, 0, &o, &help));  // a window has no screen size
    EXPECT_FALSE(parse({"--fullscreen"}, 1, &o, &help));
}

TEST(ShellOptions, SampleCountsFallBackToTheLowerPowersOfTwo) {
    int c[4] = {};
    ASSERT_EQ(msaaFallbacks(16, c), 4);
    EXPECT_EQ(c[0], 16);
    EXPECT_EQ(c[1], 8);
    EXPECT_EQ(c[2], 4);
    EXPECT_EQ(c[3], 2);
    ASSERT_EQ(msaaFallbacks(4, c), 2);
    EXPECT_EQ(c[0], 4);
    EXPECT_EQ(c[1], 2);
    EXPECT_EQ(msaaFallbacks(0, c), 0);
    EXPECT_EQ(msaaFallbacks(1, c), 0);
}

TEST(ShellOptions, ABadOptionEndsBothProgramsBeforeAWindowOpens) {
    const std::vector<std::string> env = {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy",
                                          "DISPLAY=", "WAYLAND_DISPLAY="};
    const ProcessResult a =
        runProcess(DEMO_FULLSCREEN_EXE, {"--msaa", "5"}, env, waitLimitSeconds(), "/");
    EXPECT_EQ(a.exitCode, 2);
    EXPECT_NE(a.err.find("demo: --msaa got '5'; it takes 2, 4, 8 or 16"), std::string::npos) << a.err;
    const ProcessResult b =
        runProcess(DEMO_WINDOWED_EXE, {"--desktop-size"}, env, waitLimitSeconds(), "/");
    EXPECT_EQ(b.exitCode, 2);
    EXPECT_NE(b.err.find("demo-windowed: the command line got '--desktop-size'"), std::string::npos)
        << b.err;
    // The usage follows, as --help prints it.
    EXPECT_NE(b.err.find("\nusage: demo-windowed [--msaa N]"), std::string::npos) << b.err;
    EXPECT_EQ(b.err.find("Error"), std::string::npos) << b.err;
}

// --start: seconds of music from 0 to the end, written plainly; the frame
// shown is the capture's at that time (seek_replay's tests).
TEST(ShellOptions, StartTakesPlainSecondsWithinTheDemo) {
    WindowOptions o;
    bool help = false;
    double start = -1;
    auto parseStart = [&](std::vector<const char*> args) {
        args.insert(args.begin(), "demo");
        return parseShellOptions(int(args.size()), const_cast<char**>(args.data()), 0, &o, &help,
                                 &start);
    };
    ASSERT_TRUE(parseStart({}));
    EXPECT_EQ(start, 0.0);
    for (auto [text, seconds] : {std::pair{"95", 95.0}, {"95.5", 95.5}, {".5", 0.5}, {"0", 0.0},
                                 {"227.999", 227.999}, {"007", 7.0}}) {
        ASSERT_TRUE(parseStart({"--start", text})) << text;
        EXPECT_EQ(start, seconds) << text;
    }
    ASSERT_TRUE(parseStart({"--msaa", "4", "--start", "12"}));
    EXPECT_EQ(o.msaaSamples, 4);
    for (const char* bad : {"", "-5", "-0", "+5", "228", "228.0", "1000", "1e2", "5s", "12,5", " 5",
                            ".", "abc", "nan", "inf"})
        EXPECT_FALSE(parseStart({"--start", bad})) << bad;
    EXPECT_FALSE(parseStart({"--start"}));
    // Where the caller takes no start (the other programs), it is unknown.
    EXPECT_FALSE(parse({"--start", "5"}, 0, &o, &help));

    start = 7;
    EXPECT_FALSE(parseStartSeconds("-3", &start));
    EXPECT_FALSE(parseStartSeconds("300", &start));
    EXPECT_EQ(start, 7.0);  // untouched by refusals
}

TEST(ShellOptions, ABadStartEndsBothProgramsWithItsReason) {
    const std::vector<std::string> env = {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy",
                                          "DISPLAY=", "WAYLAND_DISPLAY="};
    const struct {
        const char* program;
        const char* value;
        const char* reason;
    } cases[] = {
        {DEMO_FULLSCREEN_EXE, "240", "demo: --start got '240'; it takes seconds of music from 0 "
                                     "to below the end at 228 s"},
        {DEMO_WINDOWED_EXE, "-1", "demo-windowed: --start got '-1'; it takes seconds"},
        {DEMO_WINDOWED_EXE, "ten", "demo-windowed: --start got 'ten'; it takes seconds"},
    };
    for (const auto& c : cases) {
        const ProcessResult r =
            runProcess(c.program, {"--start", c.value}, env, waitLimitSeconds(), "/");
        EXPECT_EQ(r.exitCode, 2) << c.value;
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
    }
}
