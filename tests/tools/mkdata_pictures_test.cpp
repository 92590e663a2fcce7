// The generated pictures: every file the demo loads exists, decodes with the
// demo's loader at a power-of-two size, the masked pairs fit together the way
// the layers compose them, and two runs write the same bytes.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "mkdata.h"
#include "mkdata_pictures_util.h"
#include "pictures.h"
#include "platform/data_path.h"

namespace {

using mkdatatest::Picture;
using mkdatatest::loadPicture;

// Every picture the demo's set-ups and its flare file name.
const char* const demoPictures[] = {
    "logo-quelltarnlogo.jpg", "logo-opacity.jpg", "logo-background.jpg", "logo-credits.jpg",
    "logo-vexdrift.jpg", "logo-quelltarn.jpg", "logo-wearegetting.jpg", "black.jpg",
    "felsen.jpg", "envmap2.jpg", "atom1.jpg", "flare2.jpg", "lens1.jpg", "lens2.jpg",
    "lens3.jpg", "lens4.jpg", "innenwelt-background.jpg", "innenwelt-opacity.jpg",
    "innenwelt-vordergrund.jpg", "envmap.jpg", "netz-map.jpg", "netz-back.jpg",
    "netz-flare.jpg", "helmchen.jpg", "helm-op.jpg", "text-greetings.jpg", "aterie-map.jpg",
    "blut2.jpg", "embryo-f.jpg", "fishpic.jpg", "jesus.jpg", "embryo-o.jpg", "text-light.jpg",
    "text-flyout.jpg", "meergrund.jpg", "water.jpg", "ballfish.jpg", "grass.jpg",
    "waterfx.jpg", "flare5.jpg", "flare3.jpg", "flare4.jpg", "fader.jpg", "vogel-op.jpg",
    "vogel.jpg", "text-scream.jpg", "feuer-opacity.jpg", "feuer-spucker.jpg", "monks-op.jpg",
    "monks.jpg", "text-checkourgift.jpg", "text-webringyoudemo.jpg", "text-tarndrifting.jpg",
    "text-wewant.jpg", "text-inside.jpg", "text-outside.jpg", "text-vexdrift.jpg",
    "envmap5.jpg", "envmap4.jpg", "surface.jpg", "white.jpg", "blue.jpg"};

bool isPowerOfTwoSide(int v) { return v == 128 || v == 256 || v == 512; }

// A scratch data folder holding the named pictures (all when none are named),
// made the demo's data directory.
struct PictureFolder {
    mkdatatest::TempDir dir{"pictures"};
    bool ok;
    explicit PictureFolder(const std::vector<std::string>& names = {}) {
        ok = names.empty() ? writePictures(dir.path.c_str()) == 1
                           : mkdatatest::writeSomePictures(dir.path, names);
        setDataDirectory(dir.path.c_str());
    }
};

TEST(GeneratedPictures, EveryPictureTheDemoLoadsDecodesAtAPowerOfTwoSize) {
    PictureFolder folder;
    ASSERT_TRUE(folder.ok);
    std::set<std::string> expected(std::begin(demoPictures), std::end(demoPictures));
    std::set<std::string> found;
    for (const std::string& name : mkdatatest::listFiles(folder.dir.path)) found.insert(name);
    EXPECT_EQ(found, expected);

    for (const char* name : demoPictures) {
        SCOPED_TRACE(name);
        Picture p = loadPicture(name);
        ASSERT_TRUE(p.ok);
        EXPECT_TRUE(isPowerOfTwoSide(p.width)) << p.width;
        EXPECT_TRUE(isPowerOfTwoSide(p.height)) << p.height;
        bool water = !std::strcmp(name, "waterfx.jpg") || !std::strcmp(name, "surface.jpg");
        if (water) {
            // Replaced every frame by the 128x128 generated water.
            EXPECT_EQ(p.width, 128);
            EXPECT_EQ(p.height, 128);
        }
    }
}

TEST(GeneratedPictures, TwoRunsWriteTheSameBytes) {
    PictureFolder folder;
    ASSERT_TRUE(folder.ok);
    mkdatatest::TempDir second("pictures-again");
    ASSERT_EQ(writePictures(second.path.c_str()), 1);
    for (const char* name : demoPictures) {
        SCOPED_TRACE(name);
        std::string a = mkdatatest::readFile(folder.dir.path + "/" + name);
        EXPECT_FALSE(a.empty());
        EXPECT_TRUE(a == mkdatatest::readFile(second.path + "/" + name));
    }
}

TEST(GeneratedPictures, PlainPicturesAreOneColour) {
    struct Plain {
        const char* name;
        int minR, maxR, minG, maxG, minB, maxB;
    };
    const Plain plain[] = {{"black.jpg", 0, 2, 0, 2, 0, 2},
                           {"white.jpg", 253, 255, 253, 255, 253, 255},
                           {"blue.jpg", 0, 60, 60, 120, 230, 255}};
    PictureFolder folder({"black.jpg", "white.jpg", "blue.jpg"});
    ASSERT_TRUE(folder.ok);
    for (const Plain& c : plain) {
        SCOPED_TRACE(c.name);
        Picture p = loadPicture(c.name);
        ASSERT_TRUE(p.ok);
        int first = p.red(0, 0) * 65536 + p.green(0, 0) * 256 + p.blue(0, 0);
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) {
                ASSERT_EQ(p.red(x, y) * 65536 + p.green(x, y) * 256 + p.blue(x, y), first);
            }
        EXPECT_GE(p.red(0, 0), c.minR);
        EXPECT_LE(p.red(0, 0), c.maxR);
        EXPECT_GE(p.green(0, 0), c.minG);
        EXPECT_LE(p.green(0, 0), c.maxG);
        EXPECT_GE(p.blue(0, 0), c.minB);
        EXPECT_LE(p.blue(0, 0), c.maxB);
    }
}

// Sprites, flares and lenses are added as squares: their edges must be
// black or the squares would show.
TEST(GeneratedPictures, GlowsFadeToBlackBeforeTheirEdges) {
    const char* glows[] = {"atom1.jpg",  "flare2.jpg", "flare3.jpg", "flare4.jpg",
                           "flare5.jpg", "netz-flare.jpg", "blut2.jpg", "lens1.jpg",
                           "lens2.jpg",  "lens3.jpg",  "lens4.jpg"};
    PictureFolder folder(std::vector<std::string>(std::begin(glows), std::end(glows)));
    ASSERT_TRUE(folder.ok);
    for (const char* name : glows) {
        SCOPED_TRACE(name);
        Picture p = loadPicture(name);
        ASSERT_TRUE(p.ok);
        int edge = 0, peak = 0;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) peak = std::max(peak, p.brightest(x, y));
        for (int i = 0; i < p.width; ++i)
            for (int b = 0; b < 3; ++b) {
                edge = std::max({edge, p.brightest(i, b), p.brightest(i, p.height - 1 - b),
                                 p.brightest(b, i), p.brightest(p.width - 1 - b, i)});
            }
        EXPECT_LE(edge, 6);
        EXPECT_GE(peak, 150);
    }
}

// The frame is multiplied by the opacity picture, then the subject is added:
// the subject must stand where the opacity picture is dark, and be black
// where the frame shows through untouched.
TEST(GeneratedPictures, OpacityPicturesMatchTheirSubjects) {
    const char* pairs[][2] = {{"logo-quelltarnlogo.jpg", "logo-opacity.jpg"},
                              {"helmchen.jpg", "helm-op.jpg"},
                              {"monks.jpg", "monks-op.jpg"},
                              {"vogel.jpg", "vogel-op.jpg"},
                              {"feuer-spucker.jpg", "feuer-opacity.jpg"},
                              {"embryo-f.jpg", "embryo-o.jpg"}};
    std::vector<std::string> names;
    for (auto& pair : pairs) names.insert(names.end(), {pair[0], pair[1]});
    PictureFolder folder(names);
    ASSERT_TRUE(folder.ok);
    for (auto& pair : pairs) {
        SCOPED_TRACE(pair[0]);
        Picture colour = loadPicture(pair[0]);
        Picture opacity = loadPicture(pair[1]);
        ASSERT_TRUE(colour.ok && opacity.ok);
        ASSERT_EQ(colour.width, opacity.width);
        ASSERT_EQ(colour.height, opacity.height);
        long dark = 0, clear = 0, clearButLit = 0, darkSum = 0;
        for (int y = 0; y < colour.height; ++y)
            for (int x = 0; x < colour.width; ++x) {
                int o = opacity.brightest(x, y);
                EXPECT_LE(std::abs(opacity.red(x, y) - opacity.blue(x, y)), 4);  // grey
                if (o < 30) {
                    ++dark;
                    darkSum += colour.brightest(x, y);
                } else if (o > 250) {
                    ++clear;
                    if (colour.brightest(x, y) > 40) ++clearButLit;
                }
            }
        long total = long(colour.width) * colour.height;
        EXPECT_GT(dark, total / 20) << "the subject leaves no mark";
        EXPECT_GT(clear, total / 8) << "the frame never shows through";
        EXPECT_LT(clearButLit, clear / 100) << "colour outside the subject";
        EXPECT_GT(darkSum / std::max(dark, 1L), 25) << "the subject is black";
    }
}

// The inner world is a window: the light scene, zoomed in five times at the
// start of its closing transition, is seen through the middle fifth of the
// mask, which must be open; around the head the mask is dark, and the
// foreground adds only the outline, not a picture over the window.
TEST(GeneratedPictures, InnerWorldMaskIsAWindowIntoTheHead) {
    PictureFolder folder({"innenwelt-opacity.jpg", "innenwelt-vordergrund.jpg"});
    ASSERT_TRUE(folder.ok);
    Picture mask = loadPicture("innenwelt-opacity.jpg");
    Picture outline = loadPicture("innenwelt-vordergrund.jpg");
    ASSERT_TRUE(mask.ok && outline.ok);
    const int w = mask.width, h = mask.height;
    for (int y = h * 2 / 5; y < h * 3 / 5; y += 4)
        for (int x = w * 2 / 5; x < w * 3 / 5; x += 4)
            EXPECT_GT(mask.brightest(x, y), 240) << x << "," << y;
    // The face's outline may touch the edge of that view; its middle is clear.
    for (int y = h * 9 / 20; y < h * 11 / 20; y += 4)
        for (int x = w * 9 / 20; x < w * 11 / 20; x += 4)
            EXPECT_LT(outline.brightest(x, y), 40) << x << "," << y;
    EXPECT_LT(mask.brightest(2, 2), 20);
    EXPECT_LT(mask.brightest(w - 3, 2), 20);
}

// Two copies of the curtain slide in from below and above, the second turned
// half a turn (texture v 0..0.99 and 0.99..0). Closed, they sit on the same
// screen rows: every row must then be black in at least one of them; the
// rows of the upper picture let the frame through.
TEST(GeneratedPictures, CurtainClosesToBlack) {
    PictureFolder folder({"fader.jpg"});
    ASSERT_TRUE(folder.ok);
    Picture p = loadPicture("fader.jpg");
    ASSERT_TRUE(p.ok);
    auto at = [&](float u, float v) {
        int x = std::min(p.width - 1, int(u * p.width));
        int y = std::min(p.height - 1, int(v * p.height));
        return p.brightest(x, p.height - 1 - y) / 255.0f;  // v = 0 is the bottom row
    };
    for (int sy = 0; sy < 480; ++sy) {
        float v27 = 0.99f * (sy + 0.5f) / 480;
        float v28 = 0.99f - v27;
        for (int sx = 0; sx < 640; sx += 8) {
            float u = (sx + 0.5f) / 640;
            ASSERT_LT(at(u, v27) * at(1 - u, v28), 0.02f) << sx << "," << sy;
        }
    }
    for (int x = 0; x < p.width; ++x) EXPECT_GE(p.brightest(x, 2), 250);
}

// Mesh textures repeat across their objects: the last column must run into
// the first (and the last row into the first) as smoothly as neighbours do.
TEST(GeneratedPictures, MeshTexturesTileWithoutSeams) {
    struct Tiled {
        const char* name;
        bool vertical;
    };
    const Tiled tiled[] = {{"felsen.jpg", true},    {"aterie-map.jpg", true}, {"netz-map.jpg", true},
                           {"netz-back.jpg", true}, {"meergrund.jpg", true},  {"water.jpg", true},
                           {"ballfish.jpg", true},  {"grass.jpg", false},     {"waterfx.jpg", true}};
    std::vector<std::string> names;
    for (const Tiled& t : tiled) names.push_back(t.name);
    PictureFolder folder(names);
    ASSERT_TRUE(folder.ok);
    for (const Tiled& t : tiled) {
        SCOPED_TRACE(t.name);
        Picture p = loadPicture(t.name);
        ASSERT_TRUE(p.ok);
        auto diff = [&](int x0, int y0, int x1, int y1) {
            return std::abs(p.red(x0, y0) - p.red(x1, y1)) + std::abs(p.green(x0, y0) - p.green(x1, y1)) +
                   std::abs(p.blue(x0, y0) - p.blue(x1, y1));
        };
        double neighbours = 0, seamX = 0, seamY = 0;
        for (int y = 0; y < p.height; ++y) {
            for (int x = 0; x + 1 < p.width; ++x) neighbours += diff(x, y, x + 1, y);
            seamX += diff(p.width - 1, y, 0, y);
        }
        for (int x = 0; x < p.width; ++x) seamY += diff(x, p.height - 1, x, 0);
        neighbours /= double(p.width - 1) * p.height;
        EXPECT_LT(seamX / p.height, neighbours * 2.5 + 3);
        if (t.vertical) {
            EXPECT_LT(seamY / p.width, neighbours * 2.5 + 3);
        }
    }
}

TEST(GeneratedPictures, WordPicturesAreBrightLettersOnBlack) {
    std::vector<std::string> words;
    for (const char* name : demoPictures)
        if (std::strncmp(name, "text-", 5) == 0) words.push_back(name);
    PictureFolder folder(words);
    ASSERT_TRUE(folder.ok);
    for (const std::string& name : words) {
        SCOPED_TRACE(name);
        Picture p = loadPicture(name);
        ASSERT_TRUE(p.ok);
        long bright = 0, black = 0;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) {
                int v = p.brightest(x, y);
                bright += v > 200;
                black += v < 20;
            }
        long total = long(p.width) * p.height;
        EXPECT_GT(bright, total / 100);
        EXPECT_GT(black, total / 3);
        EXPECT_LE(p.brightest(0, 0), 10);
        EXPECT_LE(p.brightest(p.width - 1, p.height - 1), 10);
    }
}

TEST(GeneratedPictures, ContactSheetShowsTheFolder) {
    const char* some[] = {"lens1.jpg", "lens2.jpg", "lens3.jpg", "lens4.jpg", "text-light.jpg",
                          "text-outside.jpg", "logo-credits.jpg", "black.jpg", "white.jpg"};
    PictureFolder folder(std::vector<std::string>(std::begin(some), std::end(some)));
    ASSERT_TRUE(folder.ok);
    ASSERT_EQ(writeWaterBitmaps(folder.dir.path.c_str()), 1);
    mkdatatest::TempDir out("sheet");
    std::string png = out.path + "/sheet.png";
    ASSERT_EQ(writeContactSheet(folder.dir.path.c_str(), png.c_str()), 1);
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, png.c_str()));
    png_image_free(&image);
    // Eight thumbnails a row: nine pictures and two bitmaps make two rows.
    EXPECT_GE(image.height, 2u * 200);
    EXPECT_LT(image.height, 3u * 200);
    EXPECT_GE(image.width, 8u * 200);

    EXPECT_EQ(writeContactSheet((out.path + "/missing").c_str(), png.c_str()), 0);
}

}  // namespace
