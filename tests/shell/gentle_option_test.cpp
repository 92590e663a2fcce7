// --gentle on the command line of demo and demo-windowed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/shell_options.h"
#include "state/gentle_mode.h"
#include "support/process.h"

namespace {
bool parse(std::vector<const char*> args, int fullscreen) {
    args.insert(args.begin(), "demo");
    WindowOptions o;
    bool help = false;
    return parseShellOptions(int(args.size()), const_cast<char**>(args.data()), fullscreen, &o,
                             &help);
}
}  // namespace

TEST(ShellOptions, GentleTurnsGentlePlayOnInBothBuildsAndOnlyWhenGiven) {
    for (int fullscreen : {0, 1}) {
        ASSERT_TRUE(parse({"--gentle"}, fullscreen));
        EXPECT_TRUE(gentleMode.on);
        ASSERT_TRUE(parse({}, fullscreen));
        EXPECT_FALSE(gentleMode.on);
        ASSERT_TRUE(parse({"--msaa", "4", "--gentle"}, fullscreen));
        EXPECT_TRUE(gentleMode.on);
        EXPECT_FALSE(parse({"--gentle=yes"}, fullscreen));
    }
    gentleMode.on = false;
}

TEST(StartUp, HelpNamesGentle) {
    for (const char* program : {DEMO_WINDOWED_EXE, DEMO_FULLSCREEN_EXE}) {
        const ProcessResult r = runProcess(program, {"--help"}, {}, 60);
        EXPECT_EQ(r.exitCode, 0) << program;
        EXPECT_NE(r.out.find("[--gentle]"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("--gentle        fewer and softer flashes"), std::string::npos)
            << r.out;
    }
}
