// The water bitmaps: 128x128 24-bit files the demo's reader loads, a
// colourful surface, and heights whose signed gradients stay small.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <string>

#include "image/bmp.h"
#include "mkdata.h"
#include "mkdata_pictures_util.h"
#include "platform/data_path.h"

namespace {

class WaterBitmaps : public ::testing::Test {
protected:
    mkdatatest::TempDir dir{"bitmaps"};
    void SetUp() override {
        ASSERT_EQ(writeWaterBitmaps(dir.path.c_str()), 1);
        setDataDirectory(dir.path.c_str());
    }
};

unsigned u32(const std::string& s, size_t at) {
    return unsigned(static_cast<unsigned char>(s[at])) |
           unsigned(static_cast<unsigned char>(s[at + 1])) << 8 |
           unsigned(static_cast<unsigned char>(s[at + 2])) << 16 |
           unsigned(static_cast<unsigned char>(s[at + 3])) << 24;
}

TEST_F(WaterBitmaps, AreBottomUp24BitFilesWithBothHeaders) {
    for (const char* name : {"surface.bmp", "water.bmp"}) {
        SCOPED_TRACE(name);
        std::string bytes = mkdatatest::readFile(dir.path + "/" + name);
        ASSERT_EQ(bytes.size(), 54u + 128u * 128u * 3u);
        EXPECT_EQ(bytes.substr(0, 2), "BM");
        EXPECT_EQ(u32(bytes, 2), bytes.size());
        EXPECT_EQ(u32(bytes, 10), 54u);
        EXPECT_EQ(u32(bytes, 14), 40u);
        EXPECT_EQ(u32(bytes, 18), 128u);
        EXPECT_EQ(u32(bytes, 22), 128u);  // positive: bottom-up
        EXPECT_EQ(bytes[28], 24);
        EXPECT_EQ(u32(bytes, 30), 0u);

        Image* image = nullptr;
        ASSERT_NE(loadBmpImage((std::string("data\\") + name).c_str(), &image), nullptr);
        EXPECT_EQ(image->width, 128);
        EXPECT_EQ(image->height, 128);
        releaseImage(image);
    }
}

// The water reads each byte of the height picture as signed; the offsets it
// derives are the differences of a grey level to its right and lower
// neighbours (wrapping), so heights under 128 and a smooth field give small
// offsets everywhere, and a field with some relief gives a visible ripple.
TEST_F(WaterBitmaps, HeightGradientsAreSmallAndNotFlat) {
    Image* image = nullptr;
    ASSERT_NE(loadBmpImage("data\\water.bmp", &image), nullptr);
    auto level = [&](int n) {
        const unsigned char* p = image->pixels + size_t(n & 16383) * 3;
        signed char r = static_cast<signed char>(p[0]), g = static_cast<signed char>(p[1]),
                    b = static_cast<signed char>(p[2]);
        return int((0.2 * b + 0.3 * r + 0.5 * g) * 0.3);
    };
    int moving = 0, steepest = 0;
    for (int n = 0; n < 16384; ++n) {
        const unsigned char* p = image->pixels + size_t(n) * 3;
        ASSERT_LT(p[0], 128);
        ASSERT_EQ(p[0], p[1]);
        ASSERT_EQ(p[1], p[2]);
        int across = level(n) - level(n + 1);
        int down = level(n) - level(n + 128);
        steepest = std::max({steepest, std::abs(across), std::abs(down)});
        moving += across != 0 || down != 0;
    }
    EXPECT_LE(steepest, 6);
    EXPECT_GE(steepest, 2);
    EXPECT_GT(moving, 16384 / 4);
    releaseImage(image);
}

TEST_F(WaterBitmaps, SurfaceIsColourful) {
    Image* image = nullptr;
    ASSERT_NE(loadBmpImage("data\\surface.bmp", &image), nullptr);
    std::set<int> colours;
    double saturation = 0;
    for (int n = 0; n < 16384; ++n) {
        const unsigned char* p = image->pixels + size_t(n) * 3;
        colours.insert(p[0] << 16 | p[1] << 8 | p[2]);
        int hi = std::max({p[0], p[1], p[2]}), lo = std::min({p[0], p[1], p[2]});
        saturation += hi > 0 ? double(hi - lo) / hi : 0;
    }
    EXPECT_GT(colours.size(), 2000u);
    EXPECT_GT(saturation / 16384, 0.4);
    releaseImage(image);
}

// The JPEG stand-ins of the two water textures show the same surface.
TEST_F(WaterBitmaps, WaterTexturesStartAsTheSurface) {
    ASSERT_TRUE(mkdatatest::writeSomePictures(dir.path, {"waterfx.jpg", "surface.jpg"}));
    Image* image = nullptr;
    ASSERT_NE(loadBmpImage("data\\surface.bmp", &image), nullptr);
    for (const char* name : {"waterfx.jpg", "surface.jpg"}) {
        SCOPED_TRACE(name);
        mkdatatest::Picture p = mkdatatest::loadPicture(name);
        ASSERT_TRUE(p.ok);
        ASSERT_EQ(p.width, 128);
        ASSERT_EQ(p.height, 128);
        double diff = 0;
        for (int y = 0; y < 128; ++y)
            for (int x = 0; x < 128; ++x) {
                // The bitmap's rows come bottom row first.
                const unsigned char* b = image->pixels + (size_t(127 - y) * 128 + x) * 3;
                diff += std::abs(b[0] - p.red(x, y)) + std::abs(b[1] - p.green(x, y)) +
                        std::abs(b[2] - p.blue(x, y));
            }
        EXPECT_LT(diff / (128 * 128 * 3), 6.0);
    }
    releaseImage(image);
}

TEST_F(WaterBitmaps, TwoRunsWriteTheSameBytes) {
    mkdatatest::TempDir again("bitmaps-again");
    ASSERT_EQ(writeWaterBitmaps(again.path.c_str()), 1);
    for (const char* name : {"surface.bmp", "water.bmp"})
        EXPECT_TRUE(mkdatatest::readFile(dir.path + "/" + name) ==
                    mkdatatest::readFile(again.path + "/" + name))
            << name;
}

}  // namespace
