#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "image/config_reader.h"
#include "image/flare_config.h"
#include "image_test_util.h"
#include "support/error_capture.h"
#include "support/scene_holder.h"

namespace {

// Lines of the flare file, each ended by carriage return and line feed.
std::string crlf(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* l : lines) text += std::string(l) + "\r\n";
    return text;
}

std::string header(const char* count, int distance = 64, int preLight = 2, int angle = 512) {
    return crlf({"[Flare]", count}) + "FlareDistance: " + std::to_string(distance) + "\r\n" +
           "FlarePreLight: " + std::to_string(preLight) + "\r\n" +
           "FlareAngle: " + std::to_string(angle) + "\r\n" + "FlareBlend: 1\r\n";
}

std::string lens(int k, int size, int r, int g, int b) {
    return "[Lens " + std::to_string(k) + "]\r\nFilename: data\\lens" + std::to_string(k) +
           ".jpg\r\nsize: " + std::to_string(size) + "\r\ncolour red: " + std::to_string(r) +
           "\r\ncolour green: " + std::to_string(g) + "\r\ncolour blue: " + std::to_string(b) +
           "\r\n";
}

Vec3 light{1, 2, -3};

FlareSet* load(const ScratchDataFolder& dir, SceneHolder& s, const std::string& text) {
    dir.write("flare.cfg", text);
    loadFlareConfig(s.scene, "data\\flare.cfg", &light);
    return s.scene->flareSetCount ? &s.scene->flareSets[s.scene->flareSetCount - 1] : nullptr;
}

TEST(FlareConfig, ReadsTheHeaderAndLenses) {
    ScratchDataFolder dir("image-test");
    SceneHolder s;
    FlareSet* set = load(dir, s, header("NumberOfFlares: 2") + lens(1, 51, 255, 128, 0) +
                                     lens(2, 255, 0, 51, 255));
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(s.scene->flareSetCount, 1);
    EXPECT_EQ(set->lensCount, 2);
    EXPECT_EQ(set->preLight, 2);
    EXPECT_FLOAT_EQ(set->spacing, 0.25f);
    EXPECT_FLOAT_EQ(set->falloff, 2.0f);  // FlareAngle 512
    EXPECT_FLOAT_EQ(set->fadeRate, 0.2f);
    EXPECT_EQ(set->intensity, 0.0f);
    EXPECT_EQ(set->fadeDir, 1);
    EXPECT_EQ(set->source, &light);
    EXPECT_FLOAT_EQ(set->lenses[0].size, 0.2f);
    EXPECT_FLOAT_EQ(set->lenses[0].red, 1.0f);
    EXPECT_FLOAT_EQ(set->lenses[0].green, 128.0f / 255);
    EXPECT_FLOAT_EQ(set->lenses[1].size, 1.0f);
    EXPECT_FLOAT_EQ(set->lenses[1].blue, 1.0f);
    EXPECT_EQ(set->lenses[0].glTexture, 0u);  // the pictures do not exist here
}

TEST(FlareConfig, KeyWithoutItsBlankIsNotRecognised) {
    ScratchDataFolder dir("image-test");
    SceneHolder s;
    FlareSet* set = load(dir, s, header("NumberOfFlares:5") + lens(1, 1, 1, 1, 1));
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->lensCount, 0);
    EXPECT_FLOAT_EQ(set->falloff, 2.0f);
}

TEST(FlareConfig, LensSectionsInAnyOrderAndTextAroundHeaders) {
    ScratchDataFolder dir("image-test");
    SceneHolder s;
    std::string text = "; leading comment\r\n" + header("NumberOfFlares: 2") +
                       lens(2, 20, 2, 2, 2) + "   " + lens(1, 10, 1, 1, 1);
    FlareSet* set = load(dir, s, text);
    ASSERT_NE(set, nullptr);
    ASSERT_EQ(set->lensCount, 2);
    EXPECT_FLOAT_EQ(set->lenses[0].size, 10.0f / 255);
    EXPECT_FLOAT_EQ(set->lenses[1].size, 20.0f / 255);
}

TEST(FlareConfig, MissingLensSectionGivesAnEmptyLens) {
    ScratchDataFolder dir("image-test");
    SceneHolder s;
    FlareSet* set =
        load(dir, s, header("NumberOfFlares: 3") + lens(1, 10, 1, 1, 1) + lens(2, 20, 2, 2, 2));
    ASSERT_NE(set, nullptr);
    ASSERT_EQ(set->lensCount, 3);
    EXPECT_EQ(set->lenses[2].size, 0.0f);
    EXPECT_EQ(set->lenses[2].red, 0.0f);
    EXPECT_EQ(set->lenses[2].green, 0.0f);
    EXPECT_EQ(set->lenses[2].blue, 0.0f);
    EXPECT_EQ(set->lenses[2].glTexture, 0u);
}

TEST(FlareConfig, TwoSetsFromOneFileAreIndependent) {
    ScratchDataFolder dir("image-test");
    SceneHolder s;
    dir.write("flare.cfg", header("NumberOfFlares: 1") + lens(1, 51, 9, 9, 9));
    Vec3 other{0, 0, -1};
    loadFlareConfig(s.scene, "data\\flare.cfg", &light);
    loadFlareConfig(s.scene, "data\\flare.cfg", &other);
    ASSERT_EQ(s.scene->flareSetCount, 2);
    FlareSet& a = s.scene->flareSets[0];
    FlareSet& b = s.scene->flareSets[1];
    EXPECT_EQ(a.source, &light);
    EXPECT_EQ(b.source, &other);
    EXPECT_NE(a.lenses, b.lenses);
    EXPECT_FLOAT_EQ(a.lenses[0].size, b.lenses[0].size);
    a.lenses[0].size = 5;
    EXPECT_FLOAT_EQ(b.lenses[0].size, 0.2f);
}

TEST(FlareConfig, MissingFileReportsAndLeavesTheScene) {
    ScratchDataFolder dir("image-test");
    SceneHolder s;
    ErrorCapture errors;
    loadFlareConfig(s.scene, "data\\flare.cfg", &light);
    EXPECT_EQ(s.scene->flareSetCount, 0);
    ASSERT_EQ(errors.texts.size(), 1u);
    EXPECT_EQ(errors.texts[0], "cannot load flaredata");
    EXPECT_NE(s.scene->flareSets, nullptr);  // the part bodies still set the first set's fade
    loadFlareConfig(s.scene, "data", &light);  // a folder
    EXPECT_EQ(s.scene->flareSetCount, 0);
    EXPECT_EQ(errors.texts.size(), 2u);
}

TEST(FlareConfig, LensCountIsKeptInRange) {
    ScratchDataFolder dir("image-test");
    SceneHolder s;
    FlareSet* set = load(dir, s, header("NumberOfFlares: -4"));
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->lensCount, 0);

    testing::internal::CaptureStderr();
    set = load(dir, s, header("NumberOfFlares: 100000"));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(set->lensCount, 64);
    EXPECT_NE(err.find("64"), std::string::npos) << err;
}

TEST(FlareConfig, AnEmptyFileGivesALenslessFlareAndSaysSo) {
    ScratchDataFolder dir("image-test");
    SceneHolder s;
    testing::internal::CaptureStderr();
    FlareSet* set = load(dir, s, "");
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->lensCount, 0);
    EXPECT_NE(err.find("no [Flare] section"), std::string::npos) << err;
}

TEST(FlareConfig, FullTableRefusesAnotherSet) {
    ScratchDataFolder dir("image-test");
    SceneHolder s;
    dir.write("flare.cfg", header("NumberOfFlares: 0"));
    for (int i = 0; i < maxSceneTableEntries; ++i)
        loadFlareConfig(s.scene, "data\\flare.cfg", &light);
    ASSERT_EQ(s.scene->flareSetCount, maxSceneTableEntries);
    testing::internal::CaptureStderr();
    loadFlareConfig(s.scene, "data\\flare.cfg", &light);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(s.scene->flareSetCount, maxSceneTableEntries);
    EXPECT_FALSE(err.empty());
}

TEST(FlareConfig, OverlongLinesAreReadInPieces) {
    ScratchDataFolder dir("image-test");
    SceneHolder s;
    std::string longLine(1000, 'x');
    FlareSet* set = load(dir, s, longLine + "\r\n" + header("NumberOfFlares: 1") + longLine +
                                     "[Lens 1]\r\n" + lens(1, 51, 1, 1, 1).substr(10));
    ASSERT_NE(set, nullptr);
    ASSERT_EQ(set->lensCount, 1);
    EXPECT_FLOAT_EQ(set->lenses[0].size, 0.2f);
}

TEST(ConfigReader, LinesKeepTheCarriageReturn) {
    std::string longest(254, 'a');
    const std::string bytes =
        "one\r\n" + longest + "\r\n" + "x\n" + std::string(300, 'b') + "\r\nend";
    ConfigText text = {bytes.data(), bytes.size(), 0};
    ConfigText* f = &text;
    char line[configLineSize];
    EXPECT_EQ(readConfigLine(f, line), 4);
    EXPECT_STREQ(line, "one\r");
    EXPECT_EQ(readConfigLine(f, line), 255);  // the longest line, whole
    EXPECT_EQ(std::string(line), longest + "\r");
    EXPECT_EQ(readConfigLine(f, line), 1);
    EXPECT_STREQ(line, "x");
    EXPECT_EQ(readConfigLine(f, line), 255);  // a longer one comes in pieces
    EXPECT_EQ(readConfigLine(f, line), 46);
    EXPECT_EQ(readConfigLine(f, line), 3);
    EXPECT_STREQ(line, "end");
    EXPECT_EQ(readConfigLine(f, line), -1);

    int value = 7;
    EXPECT_EQ(seekConfigSection(f, "[Nothing]"), 0);
    readConfigInt(f, "size: ", &value);
    EXPECT_EQ(value, 0);
}

TEST(ConfigReader, ValuesAfterTheKey) {
    const std::string bytes = crlf({"size:    -12 rest", "size: ", "junk size: 7", "Filename: a.jpg b",
                                    "Filename: \tdata\\x.jpg", "Filename: ", "no key"});
    ConfigText text = {bytes.data(), bytes.size(), 0};
    ConfigText* f = &text;
    int v = 1;
    readConfigInt(f, "size: ", &v);
    EXPECT_EQ(v, -12);
    readConfigInt(f, "size: ", &v);
    EXPECT_EQ(v, 0);
    readConfigInt(f, "size: ", &v);
    EXPECT_EQ(v, 7);
    char word[configLineSize];
    readConfigString(f, "Filename: ", word);
    EXPECT_STREQ(word, "a.jpg");
    readConfigString(f, "Filename: ", word);
    EXPECT_STREQ(word, "data\\x.jpg");
    readConfigString(f, "Filename: ", word);
    EXPECT_STREQ(word, "");
    readConfigString(f, "Filename: ", word);
    EXPECT_STREQ(word, "");
}

}  // namespace
