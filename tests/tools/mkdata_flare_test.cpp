// The generated flare file: exact line format, and the demo's own reader
// turns it into the lens chain that was designed.
#include <gtest/gtest.h>
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "flare_lenses.h"
#include "image/flare_config.h"
#include "mkdata.h"
#include "mkdata_pictures_util.h"
#include "pictures.h"
#include "platform/data_path.h"
#include "support/gl_test_context.h"
#include "state/demo_memory.h"

namespace {

struct SceneHolder {
    Scene* scene = static_cast<Scene*>(std::calloc(1, sizeof(Scene)));
    ~SceneHolder() {
        for (int i = 0; scene->flareSets && i < scene->flareSetCount && i < maxSceneTableEntries; ++i)
            giveBackDemoMemory(scene->flareSets[i].lenses);
        std::free(scene);
    }
};

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        out.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return out;
}

TEST(GeneratedFlareFile, UsesCarriageReturnLinesAndExactKeys) {
    mkdatatest::TempDir dir("flare");
    ASSERT_EQ(writeFlareConfig(dir.path.c_str()), 1);
    std::string text = mkdatatest::readFile(dir.path + "/flare.cfg");
    ASSERT_FALSE(text.empty());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare line feed at " << i;
        }
    }
    ASSERT_EQ(text.substr(text.size() - 2), "\r\n");

    std::vector<std::string> l = lines(text);
    ASSERT_EQ(l.size(), 6u + 6u * size_t(flareChain.lensCount));
    EXPECT_EQ(l[0], "[Flare]");
    EXPECT_EQ(l[1], "NumberOfFlares: " + std::to_string(flareChain.lensCount));
    EXPECT_EQ(l[2].rfind("FlareDistance: ", 0), 0u);
    EXPECT_EQ(l[3].rfind("FlarePreLight: ", 0), 0u);
    EXPECT_EQ(l[4].rfind("FlareAngle: ", 0), 0u);
    EXPECT_EQ(l[5].rfind("FlareBlend: ", 0), 0u);
    const char* keys[] = {"Filename: ", "size: ", "colour red: ", "colour green: ", "colour blue: "};
    for (int k = 0; k < flareChain.lensCount; ++k) {
        EXPECT_EQ(l[6 + 6 * k], "[Lens " + std::to_string(k + 1) + "]");
        for (int j = 0; j < 5; ++j) EXPECT_EQ(l[7 + 6 * k + j].rfind(keys[j], 0), 0u) << l[7 + 6 * k + j];
    }
}

TEST(GeneratedFlareFile, DesignIsAChainOfFiveToEightLensesEndingOnTheLight) {
    EXPECT_GE(flareChain.lensCount, 5);
    EXPECT_LE(flareChain.lensCount, 8);
    std::vector<std::string> made;
    for (const PictureRecipe& recipe : allPictures()) made.push_back(std::string("data\\") + recipe.file);
    for (int k = 0; k < flareChain.lensCount; ++k) {
        const FlareLensDesign& lens = flareChain.lenses[k];
        SCOPED_TRACE(lens.file);
        EXPECT_NE(std::find(made.begin(), made.end(), lens.file), made.end());
        EXPECT_GT(lens.size, 0);
        EXPECT_LE(lens.size, 255);
    }
    // Lens j sits at (1 - (j - preLight) x spacing) times the mirrored light
    // position: the last lens, the light's own glow, lands on the light (-1).
    float spacing = flareChain.distance / 256.0f;
    float last = 1 - (flareChain.lensCount - 1 - flareChain.preLight) * spacing;
    EXPECT_NEAR(last, -1.0f, 0.05f);
    EXPECT_STREQ(flareChain.lenses[flareChain.lensCount - 1].file, "data\\lens1.jpg");
}

// The reader of the demo gives the designed values. Without the lens
// pictures in the folder no texture is made, so this needs no GL.
TEST(GeneratedFlareFile, DemoReaderGivesTheDesignedChain) {
    mkdatatest::TempDir dir("flare-read");
    ASSERT_EQ(writeFlareConfig(dir.path.c_str()), 1);
    setDataDirectory(dir.path.c_str());
    SceneHolder s;
    Vec3 light{0, 0, -10};
    loadFlareConfig(s.scene, "data\\flare.cfg", &light);
    ASSERT_EQ(s.scene->flareSetCount, 1);
    const FlareSet& set = s.scene->flareSets[0];
    EXPECT_EQ(set.lensCount, flareChain.lensCount);
    EXPECT_EQ(set.preLight, flareChain.preLight);
    EXPECT_FLOAT_EQ(set.spacing, flareChain.distance / 256.0f);
    EXPECT_FLOAT_EQ(set.falloff, flareChain.angle / 256.0f);
    EXPECT_FLOAT_EQ(set.fadeRate, flareChain.angle / 2560.0f);
    EXPECT_EQ(set.fadeDir, 1);
    EXPECT_EQ(set.source, &light);
    for (int k = 0; k < set.lensCount; ++k) {
        SCOPED_TRACE(k);
        const FlareLensDesign& d = flareChain.lenses[k];
        EXPECT_FLOAT_EQ(set.lenses[k].size, d.size / 255.0f);
        EXPECT_FLOAT_EQ(set.lenses[k].red, d.red / 255.0f);
        EXPECT_FLOAT_EQ(set.lenses[k].green, d.green / 255.0f);
        EXPECT_FLOAT_EQ(set.lenses[k].blue, d.blue / 255.0f);
    }
}

TEST(GeneratedFlareFile, EveryLensPictureBecomesATexture) {
    REQUIRE_GL();
    mkdatatest::TempDir dir("flare-gl");
    ASSERT_EQ(writeFlareConfig(dir.path.c_str()), 1);
    std::vector<std::string> names;
    for (int k = 0; k < flareChain.lensCount; ++k) names.push_back(flareChain.lenses[k].file + 5);
    ASSERT_TRUE(mkdatatest::writeSomePictures(dir.path, names));
    setDataDirectory(dir.path.c_str());
    SceneHolder s;
    Vec3 light{0, 0, -10};
    loadFlareConfig(s.scene, "data\\flare.cfg", &light);
    ASSERT_EQ(s.scene->flareSetCount, 1);
    for (int k = 0; k < s.scene->flareSets[0].lensCount; ++k) {
        GLuint name = s.scene->flareSets[0].lenses[k].glTexture;
        EXPECT_NE(name, 0u) << k;
        EXPECT_TRUE(glIsTexture(name)) << k;
    }
}

}  // namespace
