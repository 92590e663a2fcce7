// mkdata's command line: help is asked for, not an unknown option, and it is
// written or the run fails.
#include <gtest/gtest.h>

#include <string>

#include "support/process.h"

TEST(MkdataOptions, HelpGoesToStandardOutputAndAFullOneFails) {
    ProcessResult r = runProcess(MKDATA_EXE, {"--help"}, {}, waitLimitSeconds());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("usage: mkdata"), std::string::npos) << r.out;
    EXPECT_EQ(r.err.find("unknown"), std::string::npos) << r.err;
    r = runProcess(MKDATA_EXE, {"--no-such-option"}, {}, waitLimitSeconds());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("mkdata: the command line got '--no-such-option'"), std::string::npos)
        << r.err;
    r = runProcess(MKDATA_EXE, {"--out"}, {}, waitLimitSeconds());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("mkdata: --out got nothing; it takes a folder"), std::string::npos) << r.err;
    // A part it does not make is refused before the folder is made.
    const std::string dir = makeTempDir("mkdata-only");
    r = runProcess(MKDATA_EXE, {"--only", "sounds", "--out", dir + "/data"}, {}, waitLimitSeconds());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("mkdata: --only got 'sounds'; it takes pictures, bitmaps"), std::string::npos)
        << r.err;
    EXPECT_FALSE(fileExists(dir + "/data"));
    removeTree(dir);
    if (!fileExists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    r = runProcess("/bin/sh", {"-c", std::string("exec '") + MKDATA_EXE + "' -h >/dev/full"}, {},
                   waitLimitSeconds());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("mkdata: cannot write to standard output"), std::string::npos) << r.err;
}
