#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/process.h"

// Gentle play where the plain demo flashes most, as a viewer sees it: 60
// frames a second, small frames. Part 2's hand-over and part 4's replay of
// the darm scene flash up to five and seven times a second over patches of
// the picture, the artery of part 5 up to twelve times red; gentle play
// holds no second with more than three flashes and no red flash at all, by
// a quarter of the picture and by WCAG's smaller area.
TEST(DemoFlashes, GentlePlayPassesWhereTheDemoFlashesMost) {
    const std::string data = DEMO_BUILD_DIR "/data";
    if (!fileExists(DEMO_CAPTURE_EXE) || !fileExists(data + "/light.dat"))
        GTEST_SKIP() << "no capture program or generated data";
    for (const char* span : {"53-58", "107-131", "144-147"}) {
        SCOPED_TRACE(span);
        const std::string dir = makeTempDir("flashes-gentle");
        ProcessResult r = runProcess(DEMO_CAPTURE_EXE,
                                     {"--gentle", "--data", data, "--quiet", "--rate", "60",
                                      "--size", "160x120", "--png", "--time", span, "-o", dir},
                                     {"DISPLAY="}, 600);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        for (const std::vector<std::string>& area :
             {std::vector<std::string>{}, std::vector<std::string>{"--area", "2.8"}}) {
            std::vector<std::string> args = {"--rate", "60"};
            args.insert(args.end(), area.begin(), area.end());
            args.push_back(dir);
            r = runProcess(DEMO_FLASHES_EXE, args, {}, waitLimitSeconds());
            EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
            EXPECT_NE(r.out.find(" flashes, 0 red, from "), std::string::npos) << r.out;
        }
        removeTree(dir);
    }
}
