#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "fx/water.h"

namespace {

// A 128 x 128 picture held in a vector.
struct Picture {
    std::vector<unsigned char> bytes = std::vector<unsigned char>(waterTexels * 3);
    Image image{waterSize, waterSize, nullptr};
    Picture() { image.pixels = bytes.data(); }
    void fill(unsigned char r, unsigned char g, unsigned char b) {
        for (int n = 0; n < waterTexels; ++n) set(n, r, g, b);
    }
    void set(int n, unsigned char r, unsigned char g, unsigned char b) {
        bytes[n * 3] = r;
        bytes[n * 3 + 1] = g;
        bytes[n * 3 + 2] = b;
    }
};

struct Tables {
    std::vector<uint16_t> offsets = std::vector<uint16_t>(waterTexels, 0xBEEF);
    std::vector<int32_t> texels = std::vector<int32_t>(waterTexels, -1);
};

// A colour picture where every texel differs from its neighbours.
Picture patterned() {
    Picture p;
    for (int n = 0; n < waterTexels; ++n) p.set(n, n & 255, (n >> 7) & 255, (n * 37) & 255);
    return p;
}

// A height picture with gradients everywhere, varying along x only.
Picture rippled() {
    Picture p;
    for (int n = 0; n < waterTexels; ++n) {
        unsigned char h = (unsigned char)((n % waterSize) * 13);
        p.set(n, h, h, h);
    }
    return p;
}

TEST(Fx2dWater, LuminanceTruncatesTowardZero) {
    EXPECT_EQ(waterLuminance(10, 20, 30), 5);    // 19 x 0.3 = 5.7
    EXPECT_EQ(waterLuminance(-10, -20, -30), -5);
    EXPECT_EQ(waterLuminance(127, 127, 127), 38);
    EXPECT_EQ(waterLuminance(-128, -128, -128), -38);
    EXPECT_EQ(waterLuminance(0, 0, 0), 0);
}

TEST(Fx2dWater, UniformHeightGivesNoDisplacement) {
    Picture height, colour = patterned(), canvas;
    height.fill(90, 200, 17);
    Tables t;
    buildWaterOffsetTable(&height.image, t.offsets.data());
    buildSurfaceTexelTable(&colour.image, t.texels.data());
    for (uint16_t o : t.offsets) ASSERT_EQ(o, 0);
    for (float phase : {0.0f, 7.3f, 1000.0f, -40.0f}) {
        generateWaterTexture(&canvas.image, t.texels.data(), t.offsets.data(), phase);
        EXPECT_EQ(canvas.bytes, colour.bytes) << phase;
        generateWaterTextureTransposed(&canvas.image, t.texels.data(), t.offsets.data(), phase);
        EXPECT_EQ(canvas.bytes, colour.bytes) << phase;
    }
}

TEST(Fx2dWater, HeightBytesAreSigned) {
    Picture height;
    height.fill(127, 127, 127);
    height.set(1, 128, 128, 128);  // reads as -128
    Tables t;
    buildWaterOffsetTable(&height.image, t.offsets.data());
    EXPECT_EQ(t.offsets[0], 76);                      // 38 - (-38)
    EXPECT_EQ(t.offsets[1], uint16_t(-76 - 128 * 76));  // both neighbours 38 above
    EXPECT_EQ(t.offsets[2], 0);
    EXPECT_EQ(t.offsets[waterTexels - 127], uint16_t(128 * 76));  // the row above, wrapped
}

TEST(Fx2dWater, SurfaceValueRoundTrips) {
    Picture colour, canvas, height;
    colour.fill(255, 128, 1);
    height.fill(0, 0, 0);
    Tables t;
    buildSurfaceTexelTable(&colour.image, t.texels.data());
    buildWaterOffsetTable(&height.image, t.offsets.data());
    EXPECT_EQ(t.texels[0], 16744449);
    generateWaterTexture(&canvas.image, t.texels.data(), t.offsets.data(), 3);
    EXPECT_EQ(canvas.bytes[0], 255);
    EXPECT_EQ(canvas.bytes[1], 128);
    EXPECT_EQ(canvas.bytes[2], 1);
}

// The displacement written out in the obvious way, for comparison.
std::vector<unsigned char> reference(const Tables& t, int start, bool transposed) {
    std::vector<unsigned char> out(waterTexels * 3);
    for (int n = 0; n < waterTexels; ++n) {
        int row = n / waterSize, column = n % waterSize;
        int moving = transposed ? start + waterSize * column + row : start - n;
        int source = (t.offsets[moving & (waterTexels - 1)] + n + t.offsets[2 * (n % 8192)]) &
                     (waterTexels - 1);
        out[n * 3] = (t.texels[source] >> 16) & 255;
        out[n * 3 + 1] = (t.texels[source] >> 8) & 255;
        out[n * 3 + 2] = t.texels[source] & 255;
    }
    return out;
}

TEST(Fx2dWater, PhaseCountsInWholeSteps) {
    Picture height = rippled(), colour = patterned(), canvas;
    Tables t;
    buildWaterOffsetTable(&height.image, t.offsets.data());
    buildSurfaceTexelTable(&colour.image, t.texels.data());

    generateWaterTexture(&canvas.image, t.texels.data(), t.offsets.data(), 0);
    const std::vector<unsigned char> atZero = canvas.bytes;
    EXPECT_EQ(atZero, reference(t, 0, false));
    generateWaterTexture(&canvas.image, t.texels.data(), t.offsets.data(), 0.9f);
    EXPECT_EQ(canvas.bytes, atZero);
    generateWaterTexture(&canvas.image, t.texels.data(), t.offsets.data(), 1);
    EXPECT_NE(canvas.bytes, atZero);
    EXPECT_EQ(canvas.bytes, reference(t, -1, false));
    generateWaterTexture(&canvas.image, t.texels.data(), t.offsets.data(), 20000.5f);
    EXPECT_EQ(canvas.bytes, reference(t, -20000, false));
}

TEST(Fx2dWater, TransposedRunsAlongTheColumns) {
    Picture height = rippled(), colour = patterned(), plain, transposed;
    Tables t;
    buildWaterOffsetTable(&height.image, t.offsets.data());
    buildSurfaceTexelTable(&colour.image, t.texels.data());
    generateWaterTexture(&plain.image, t.texels.data(), t.offsets.data(), 5);
    generateWaterTextureTransposed(&transposed.image, t.texels.data(), t.offsets.data(), 5);
    EXPECT_NE(plain.bytes, transposed.bytes);
    EXPECT_EQ(transposed.bytes, reference(t, -5, true));
}

TEST(Fx2dWater, MissingPiecesAreSkipped) {
    Picture canvas, colour = patterned();
    canvas.fill(1, 2, 3);
    const std::vector<unsigned char> before = canvas.bytes;
    Tables t;
    generateWaterTexture(nullptr, t.texels.data(), t.offsets.data(), 0);
    generateWaterTexture(&canvas.image, nullptr, t.offsets.data(), 0);
    generateWaterTextureTransposed(&canvas.image, t.texels.data(), nullptr, 0);
    Image noPixels{waterSize, waterSize, nullptr};
    generateWaterTexture(&noPixels, t.texels.data(), t.offsets.data(), 0);
    Image small{64, 64, canvas.bytes.data()};
    generateWaterTexture(&small, t.texels.data(), t.offsets.data(), 0);
    EXPECT_EQ(canvas.bytes, before);

    // A picture of the wrong size builds quiet tables.
    buildWaterOffsetTable(&small, t.offsets.data());
    buildSurfaceTexelTable(nullptr, t.texels.data());
    for (int n = 0; n < waterTexels; ++n) {
        ASSERT_EQ(t.offsets[n], 0);
        ASSERT_EQ(t.texels[n], 0);
    }
    buildWaterOffsetTable(&colour.image, nullptr);
}

}  // namespace
