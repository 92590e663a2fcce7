// demo-bench: the worst frame and where it falls, processor time per frame,
// and the alternating comparison of two renderer configurations.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "support/process.h"

namespace {
const std::string dataDir = DEMO_BUILD_DIR "/data";
bool haveData() { return fileExists(dataDir + "/light.dat"); }

// The number after "key": in the n-th object that has it.
double field(const std::string& json, const std::string& key, int n) {
    size_t at = 0;
    for (int i = 0; i <= n; ++i) {
        at = json.find("\"" + key + "\": ", at);
        if (at == std::string::npos) return -1;
        at += key.size() + 4;
    }
    double v = -1;
    if (json[at] == '"') ++at;
    std::sscanf(json.c_str() + at, "%lf", &v);
    return v;
}
}  // namespace

TEST(Bench, CompareAlternatesTwoConfigurationsAndFindsTheWorstFrame) {
    if (!haveData()) GTEST_SKIP() << "no generated data";
    const ProcessResult r = runProcess(
        DEMO_BENCH_EXE,
        {"--data", dataDir, "--parts", "8-8", "--rate", "10", "--compare", "all", "--json"}, {},
        300);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string& j = r.out;
    EXPECT_NE(j.find("\"config\": \"tuned\""), std::string::npos) << j;
    EXPECT_NE(j.find("\"config\": \"other\""), std::string::npos) << j;
    // Part 8 runs from 217.3 s to 228 s: 107 frames at 10 a second, shared
    // out by turns (the first frame is not timed).
    const double a = field(j, "frames", 0), b = field(j, "frames", 1);
    EXPECT_NEAR(a, b, 1) << j;
    EXPECT_GE(a + b, 100) << j;
    for (int n = 0; n < 2; ++n) {
        const double at = field(j, "worst_at_s", n);
        EXPECT_GT(at, 217.3) << j;
        EXPECT_LE(at, 228.0) << j;
        EXPECT_GE(field(j, "worst_ms", n), field(j, "median_ms", n)) << j;
        EXPECT_GT(field(j, "first_ms", n), 0) << j;
        EXPECT_GT(field(j, "worst_cpu_ms", n), 0) << j;
        EXPECT_GE(field(j, "worst_cpu_x_median", n), 1) << j;
        EXPECT_GT(field(j, "worst_cpu_at_s", n), 217.3) << j;
        EXPECT_LE(field(j, "first_ms", n), field(j, "worst_ms", n)) << j;
        EXPECT_GT(field(j, "cpu_ms_per_frame", n), 0) << j;
        EXPECT_GT(field(j, "over_limit", n), 0) << j;
    }
}

TEST(Bench, TextTableNamesTheNewColumnsAndRefusesBadComparisons) {
    if (!haveData()) GTEST_SKIP() << "no generated data";
    const ProcessResult r = runProcess(
        DEMO_BENCH_EXE,
        {"--data", dataDir, "--parts", "7-7", "--rate", "5", "--compare", "one,flush", "--no-warm-up"},
        {}, 300);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const char* column : {"worst ms", "at s", "first ms", "cpu ms", "limit ms", "x limit",
                               "cpu max"})
        EXPECT_NE(r.out.find(column), std::string::npos) << column << "\n" << r.out;
    EXPECT_NE(r.out.find("tunings switched off"), std::string::npos) << r.out;
    const ProcessResult bad =
        runProcess(DEMO_BENCH_EXE, {"--data", dataDir, "--compare", "everything"}, {},
                   waitLimitSeconds());
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_NE(bad.err.find("--compare"), std::string::npos) << bad.err;
}

// More samples per pixel, compared frame by frame in one process: the odd
// frames really draw into the multisampled or larger framebuffer (on software
// GL that costs clearly more than the plain frames; a target left unbound
// would cost the same), and the heading says what they were.
TEST(Bench, ComparesSampleCountsFrameByFrame) {
    if (!haveData()) GTEST_SKIP() << "no generated data";
    const struct {
        const char* what;
        const char* heading;
    } cases[] = {{"msaa4", " samples per pixel):"}, {"supersample2", "drawn at 1280x960, "}};
    for (const auto& c : cases) {
        const ProcessResult r = runProcess(
            DEMO_BENCH_EXE, {"--data", dataDir, "--parts", "8-8", "--rate", "10", "--compare", c.what},
            {}, 300);
        ASSERT_EQ(r.exitCode, 0) << c.what << "\n" << r.err;
        const size_t odd = r.out.find("odd frames (");
        EXPECT_NE(odd, std::string::npos) << r.out;
        EXPECT_NE(r.out.find(c.heading, odd), std::string::npos) << c.what << "\n" << r.out;
        const ProcessResult j = runProcess(
            DEMO_BENCH_EXE,
            {"--data", dataDir, "--parts", "8-8", "--rate", "10", "--compare", c.what, "--json"}, {},
            300);
        ASSERT_EQ(j.exitCode, 0) << c.what << "\n" << j.err;
        EXPECT_NEAR(field(j.out, "frames", 0), field(j.out, "frames", 1), 1) << j.out;
        if (j.out.find("\"renderer\": \"llvmpipe") == std::string::npos) continue;
        EXPECT_GT(field(j.out, "cpu_ms_per_frame", 1), 1.3 * field(j.out, "cpu_ms_per_frame", 0))
            << c.what << "\n" << j.out;
    }
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--compare", "msaa3"},
          std::vector<std::string>{"--compare", "msaa04"},
          std::vector<std::string>{"--compare", "supersample5"},
          std::vector<std::string>{"--compare", "supersample+2"},
          std::vector<std::string>{"--msaa", "4x"},
          std::vector<std::string>{"--compare", "msaa4", "--msaa", "4"}}) {
        const ProcessResult bad = runProcess(DEMO_BENCH_EXE, args, {}, waitLimitSeconds());
        EXPECT_EQ(bad.exitCode, 2) << args[1];
        EXPECT_NE(bad.err.find("demo-bench: "), std::string::npos) << bad.err;
    }
}

// Scripts (the browser test) take the part boundaries from here, without data
// or a GL context.
TEST(Bench, PrintsTheTimelineItRuns) {
    const ProcessResult r = runProcess(DEMO_BENCH_EXE, {"--print-timeline", "--data", "/nonexistent"},
                                       {}, waitLimitSeconds());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("\"partStartsMs\": [0, 13200, 54300, 82200, 107800, 134000, 173000, "
                         "200700, 217300]"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(field(r.out, "endMs", 0), 228000) << r.out;
}

// Results that cannot be written are a failure, not a run that went well.
TEST(Bench, AFullStandardOutputFailsTheRun) {
    if (!haveData()) GTEST_SKIP() << "no generated data";
    if (!fileExists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const std::string bench = DEMO_BENCH_EXE;
    const std::string capture = DEMO_CAPTURE_EXE;
    const struct {
        std::string command;
        std::string message;
    } cases[] = {
        {"exec '" + bench + "' --data '" + dataDir + "' --parts 8-8 --rate 2 --json >/dev/full",
         "demo-bench: cannot write to standard output (No space left on device)\n"},
        {"exec '" + bench + "' --help >/dev/full",
         "demo-bench: cannot write to standard output (No space left on device)\n"},
        {"exec '" + capture + "' --help >/dev/full",
         "demo-capture: cannot write to standard output (No space left on device)\n"},
    };
    for (const auto& c : cases) {
        const ProcessResult r = runProcess("/bin/sh", {"-c", c.command}, {}, 300);
        EXPECT_EQ(r.exitCode, 1) << c.command << "\n" << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.command << "\n" << r.err;
    }
}

// Every option is checked before anything is written: a refused command line
// leaves the user's files as they were, and says what was wrong.
TEST(Bench, RefusesBadOptionsBeforeTouchingTheFrameList) {
    const std::string dir = makeTempDir("bench-options");
    const std::string list = dir + "/frames.txt";
    std::ofstream(list) << "kept\n";
    const struct {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{"--frames", list, "--parts", "9-9"}, "demo-bench: --parts got '9-9'; it takes A-B"},
        {{"--frames", list, "--parts", "0-8junk"}, "--parts got '0-8junk'"},
        {{"--frames", list, "--cores", "1x"}, "--cores got '1x'; it takes a whole number"},
        {{"--frames", list, "--cores", "99999999999"}, "--cores got '99999999999'"},
        {{"--frames", list, "--msaa", "+4"}, "--msaa got '+4'; it takes 2, 4, 8 or 16"},
        {{"--frames", list, "--compare", "msaa4", "--msaa", "4"}, "leave it out"},
        {{"--frames", list, "--rate"}, "demo-bench: --rate got nothing; it takes frames a second"},
    };
    for (const auto& c : cases) {
        const ProcessResult r = runProcess(DEMO_BENCH_EXE, c.args, {}, waitLimitSeconds());
        EXPECT_EQ(r.exitCode, 2) << c.args[2];
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.args[2] << ": " << r.err;
        EXPECT_EQ(slurp(list), "kept\n") << c.args[2];
    }
    removeTree(dir);
}
