// Data files that name files outside the data folder, and data folders that
// are not folders: refused with a line naming the file and the real reason.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "failure_support.h"

using namespace failtest;

namespace {

const std::vector<std::string> oneFrame = {"--rate", "1/5", "--at", "50"};

std::string flareWithLens(const std::string& fileName) {
    std::string text = generatedBytes("flare.cfg");
    const std::string key = "Filename: ";
    const size_t at = text.find(key);
    const size_t end = text.find('\r', at);
    return text.substr(0, at + key.size()) + fileName + text.substr(end);
}

}  // namespace

TEST(DemoHostileNames, LensPicturesOutsideTheDataFolderAreNotRead) {
    if (!haveData()) GTEST_SKIP() << "no generated data in " << generatedData;
    const std::string dir = installCopy("lens-outside");
    // A picture that loads fine where it is: only its place refuses it.
    const std::string outside = dir + "/secret-lens.jpg";
    ASSERT_TRUE(copyFile(generatedData + "/lens2.jpg", outside));
    for (const std::string& name :
         {outside, std::string("data\\..\\secret-lens.jpg"), std::string("data/x/../../secret-lens.jpg"),
          std::string("secret-lens.jpg"), std::string("/etc/shadow")}) {
        ASSERT_TRUE(replaceDataFile(dir, "flare.cfg", flareWithLens(name)));
        const ProcessResult r = runCapture(dir, oneFrame, 60);
        EXPECT_EQ(r.exitCode, 0) << name << "\n" << r.err;
        const std::string line = "data\\flare.cfg: lens 1: the picture " + name +
                                 " lies outside the data folder; the lens has no picture\n";
        EXPECT_EQ(countOf(r.err, line), 3) << name << "\n" << r.err;  // loaded for three lights
        EXPECT_EQ(countOf(r.err, "Error: "), 0) << name << "\n" << r.err;
        EXPECT_EQ(r.err.find("not a JPEG"), std::string::npos) << name << "\n" << r.err;
    }
    // A name that climbs and comes back stays inside and loads.
    ASSERT_TRUE(replaceDataFile(dir, "flare.cfg", flareWithLens("data\\sub\\..\\lens2.jpg")));
    ASSERT_EQ(mkdir((dir + "/data/sub").c_str(), 0755), 0);
    const ProcessResult r = runCapture(dir, oneFrame, 60);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.find("outside the data folder"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("cannot load picture"), std::string::npos) << r.err;
    removeTree(dir);
}

TEST(DemoHostileNames, ADataFolderThatIsNoFolderIsSaidToBeNone) {
    const std::string dir = makeTempDir("data-not-folder");
    const std::string file = dir + "/plain";
    std::ofstream(file) << "not a folder";
    ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0644), 0);
    for (const std::string& data : {file, dir + "/fifo", std::string("/dev/null")}) {
        const ProcessResult r =
            runProcess(DEMO_CAPTURE_EXE, {"--data", data, "--png", "-o", dir + "/frames", "--quiet",
                                          "--rate", "1/5", "--at", "1"},
                       headlessEnv(), 60, "/");
        EXPECT_FALSE(r.timedOut) << data;
        EXPECT_EQ(r.exitCode, 1) << data << "\n" << r.err;
        EXPECT_NE(r.err.find("data\\light.dat: " + data + " is not a folder\n"), std::string::npos)
            << data << "\n" << r.err;
        EXPECT_EQ(r.err.find("which does not exist"), std::string::npos) << data << "\n" << r.err;
    }
    removeTree(dir);
}
