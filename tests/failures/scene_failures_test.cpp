// A scene file that is missing or damaged stops the start-up: the loader's
// message, then the start-up's, exit code 1, and no crash or hang.
#include <gtest/gtest.h>

#include <string>

#include "failure_support.h"

using namespace failtest;

namespace {

const char* const sceneFiles[] = {"light.dat",  "neuronal.dat", "aterie.dat", "fisch2.dat",
                                  "morph1.dat", "morph2.dat",   "morph3.dat", "morph4.dat",
                                  "morph5.dat", "darm.dat",     "kopuli.dat", "mirror.dat"};

const std::string loadFailure = "cannot load scenes or textures";

void expectStartUpFailure(const ProcessResult& r, const std::string& what) {
    expectExitOne(r, what);
    EXPECT_EQ(countOf(r.err, loadFailure), 1) << what << "\n" << r.err;
    // The soundtrack is never reached.
    EXPECT_EQ(r.err.find("cannot play audio"), std::string::npos) << what << "\n" << r.err;
}

}  // namespace

TEST(DemoSceneFiles, EachMissingFileIsReportedAndStopsTheStartUp) {
    if (!haveData()) GTEST_SKIP() << "no generated data in " << generatedData;
    for (const char* name : sceneFiles) {
        const std::string dir = installCopy("scene-missing", {name});
        const ProcessResult r = runWindowed(dir, headlessEnv());
        const std::string what = std::string("without ") + name;
        expectStartUpFailure(r, what);
        EXPECT_EQ(countOf(r.err, "mesh-file not found"), 1) << what << "\n" << r.err;
        EXPECT_LT(r.err.find("mesh-file not found"), r.err.find(loadFailure)) << what;
        removeTree(dir);
    }
}

TEST(DemoSceneFiles, EachDamagedFileIsNamedAndStopsTheStartUp) {
    if (!haveData()) GTEST_SKIP() << "no generated data in " << generatedData;
    struct Damage {
        const char* what;
        std::string (*make)(const std::string& bytes);
    };
    const Damage damages[] = {
        {"cut to half its size", [](const std::string& b) { return b.substr(0, b.size() / 2); }},
        {"cut to 10 bytes", [](const std::string& b) { return b.substr(0, 10); }},
        {"empty", [](const std::string&) { return std::string(); }},
        // Every count reads as the largest value the format allows.
        {"all bytes 0xFF", [](const std::string& b) { return std::string(b.size(), '\xFF'); }},
    };
    for (const char* name : sceneFiles) {
        const std::string bytes = generatedBytes(name);
        ASSERT_GT(bytes.size(), 100u) << name;
        for (const Damage& d : damages) {
            const std::string dir = installCopy("scene-damaged", {name});
            ASSERT_TRUE(replaceDataFile(dir, name, d.make(bytes)));
            const ProcessResult r = runWindowed(dir, headlessEnv());
            const std::string what = std::string(name) + " " + d.what;
            expectStartUpFailure(r, what);
            // The file is there: the loader names it and says what is wrong.
            EXPECT_EQ(r.err.find("mesh-file not found"), std::string::npos) << what << "\n" << r.err;
            const size_t named = findLine(r.err, "Error: ", name);
            EXPECT_NE(named, std::string::npos) << what << "\n" << r.err;
            EXPECT_LT(named, r.err.find(loadFailure)) << what << "\n" << r.err;
            removeTree(dir);
        }
    }
}

TEST(DemoSceneFiles, AFolderInPlaceOfAFileStopsTheStartUp) {
    if (!haveData()) GTEST_SKIP() << "no generated data in " << generatedData;
    for (const char* name : {"light.dat", "mirror.dat"}) {
        const std::string dir = installCopy("scene-folder", {name});
        ASSERT_TRUE(replaceWithFolder(dir, name));
        const ProcessResult r = runWindowed(dir, headlessEnv());
        const std::string what = std::string("a folder named ") + name;
        expectStartUpFailure(r, what);
        // Either message is right: the name is there but holds no scene.
        const bool reported = r.err.find("mesh-file not found") != std::string::npos ||
                              findLine(r.err, "Error: ", name) != std::string::npos;
        EXPECT_TRUE(reported) << what << "\n" << r.err;
        removeTree(dir);
    }
}
