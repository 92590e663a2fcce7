// Pictures and the flare file are not essential: a missing or damaged one is
// reported on stderr and the demo plays its whole timeline regardless.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "failure_support.h"

using namespace failtest;

namespace {

// One frame in each of the nine parts, at a low frame rate (one frame per 5 s).
const std::vector<std::string> framesAcrossParts = {"--rate", "1/5", "--at",
                                                    "5,30,60,95,120,150,185,210,225"};
const char* const partFrames[] = {"5", "30", "60", "95", "120", "150", "185", "210", "225"};
// Parts 1 and 2, where the lights carry flares.
const std::vector<std::string> flareFrames = {"--rate", "1/5", "--at", "20,35,50,65,80"};

void expectPlayedThrough(const ProcessResult& r, const std::string& what) {
    EXPECT_FALSE(r.timedOut) << what;
    EXPECT_EQ(r.signal, 0) << what << "\n" << r.err;
    EXPECT_EQ(r.exitCode, 0) << what << "\n" << r.err;
    EXPECT_EQ(r.err.find("cannot load scenes or textures"), std::string::npos) << what;
}

std::string pictureLine(const std::string& file) { return "cannot load picture: data\\" + file; }

}  // namespace

TEST(DemoPictures, MissingAndDamagedPicturesAreReportedAndTheDemoPlaysOn) {
    if (!haveData()) GTEST_SKIP() << "no generated data in " << generatedData;
    // A text picture, the black picture of six slots, an environment map, a
    // lens picture (also named by the flare file), and damaged ones.
    const std::string dir = installCopy("pictures", {"text-greetings.jpg", "black.jpg",
                                                     "envmap.jpg", "lens1.jpg"});
    const std::string felsen = generatedBytes("felsen.jpg");
    ASSERT_TRUE(replaceDataFile(dir, "felsen.jpg", "this is not a JPEG picture\n"));
    ASSERT_TRUE(replaceDataFile(dir, "netz-map.jpg", ""));
    ASSERT_TRUE(replaceDataFile(dir, "aterie-map.jpg", felsen.substr(0, felsen.size() / 2)));
    ASSERT_TRUE(replaceWithFolder(dir, "white.jpg"));

    const ProcessResult r = runCapture(dir, framesAcrossParts);
    expectPlayedThrough(r, "pictures missing");
    struct Expect {
        const char* file;
        int count;  // 0: at least once
    };
    const Expect expects[] = {{"text-greetings.jpg", 1}, {"black.jpg", 6}, {"envmap.jpg", 2},
                              {"lens1.jpg", 0},          {"felsen.jpg", 1}, {"netz-map.jpg", 1},
                              {"aterie-map.jpg", 1},     {"white.jpg", 1}};
    for (const Expect& e : expects) {
        const int n = countOf(r.err, pictureLine(e.file) + "\n");
        if (e.count) {
            EXPECT_EQ(n, e.count) << e.file << "\n" << r.err;
        } else {
            EXPECT_GE(n, 1) << e.file << "\n" << r.err;
        }
    }
    // No box for a picture: nothing goes through the error report.
    EXPECT_EQ(countOf(r.err, "Error: "), 0) << r.err;
    for (const char* t : partFrames) {
        int w = 0, h = 0;
        std::vector<unsigned char> rgb;
        EXPECT_TRUE(readPng(dir + "/frames/at-" + t + ".png", &w, &h, &rgb)) << "frame at " << t;
        EXPECT_EQ(w, 640);
        EXPECT_EQ(h, 480);
    }
    removeTree(dir);
}

TEST(DemoFlareFile, AMissingFileIsReportedForEachFlareAndTheDemoPlaysOn) {
    if (!haveData()) GTEST_SKIP() << "no generated data in " << generatedData;
    for (bool folder : {false, true}) {
        const std::string dir = installCopy("flare-missing", {"flare.cfg"});
        if (folder) {
            ASSERT_TRUE(replaceWithFolder(dir, "flare.cfg"));
        }
        const std::string what = folder ? "flare.cfg a folder" : "flare.cfg missing";
        const ProcessResult r = runCapture(dir, flareFrames);
        expectPlayedThrough(r, what);
        // One light of the light scene and two of the neuronal scene.
        EXPECT_EQ(countOf(r.err, "Error: cannot load flaredata\n"), 3) << what << "\n" << r.err;
        EXPECT_TRUE(fileExists(dir + "/frames/at-50.png")) << what;
        removeTree(dir);
    }
}

TEST(DemoFlareFile, DamagedFilesLoadWhatTheyCanAndTheDemoPlaysOn) {
    if (!haveData()) GTEST_SKIP() << "no generated data in " << generatedData;
    std::string unix = generatedBytes("flare.cfg");
    for (size_t at = unix.find("\r\n"); at != std::string::npos; at = unix.find("\r\n", at))
        unix.erase(at, 1);
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage.push_back(char((i * 7919 + i / 13) & 255));
    const std::string absurd =
        "[Flare]\r\nNumberOfFlares: 100000\r\nFlareDistance: 2147483647\r\n"
        "FlarePreLight: -2147483648\r\nFlareAngle: -99999\r\nFlareBlend: 7\r\n"
        "[Lens 1]\r\nFilename: data\\no-such-lens.jpg\r\nsize: 99999999\r\n"
        "colour red: -500\r\ncolour green: 100000\r\ncolour blue: 12\r\n"
        "[Lens 2]\r\nFilename: " + std::string(600, 'x') + "\r\nsize: 30\r\n"
        "colour red: 1\r\ncolour green: 2\r\ncolour blue: 3\r\n";
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {{"an empty file", ""},
                          {"line feeds without carriage returns", unix},
                          {"binary garbage", garbage},
                          {"absurd values and names", absurd}};
    for (const Case& c : cases) {
        const std::string dir = installCopy("flare-damaged");
        ASSERT_TRUE(replaceDataFile(dir, "flare.cfg", c.bytes));
        const ProcessResult r = runCapture(dir, flareFrames);
        expectPlayedThrough(r, c.what);
        EXPECT_EQ(r.err.find("cannot load flaredata"), std::string::npos) << c.what << "\n" << r.err;
        EXPECT_TRUE(fileExists(dir + "/frames/at-50.png")) << c.what;
        if (&c == &cases[3]) {
            EXPECT_NE(r.err.find("only the first"), std::string::npos) << r.err;
            EXPECT_NE(r.err.find(pictureLine("no-such-lens.jpg") + "\n"), std::string::npos)
                << r.err;
        }
        removeTree(dir);
    }
}
