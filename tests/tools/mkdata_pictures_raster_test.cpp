// The drawing helpers of the picture generator.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "canvas.h"
#include "noise.h"
#include "shapes.h"
#include "text_render.h"

namespace {

float total(const Mask& m) { return std::accumulate(m.a.begin(), m.a.end(), 0.0f); }

// Coverage is exact along x and sampled four times along y: a rectangle on
// quarter-pixel rows gets exactly its area, a triangle very nearly.
TEST(PictureRaster, OutlineCoverageAddsUpToTheArea) {
    Mask square = outlinesMask(64, 64, 1.0f, {{{0.1f, 0.25f}, {0.6f, 0.25f}, {0.6f, 0.75f}, {0.1f, 0.75f}}});
    EXPECT_NEAR(total(square), 0.5f * 0.5f * 64 * 64, 0.01f);
    for (float v : square.a) EXPECT_LE(v, 1.0f);

    Mask triangle = outlinesMask(64, 64, 1.0f, {{{0.0f, 0.0f}, {1.0f, 0.0f}, {0.0f, 1.0f}}});
    EXPECT_NEAR(total(triangle), 0.5f * 64 * 64, 64 * 0.3f);

    // Either winding fills; overlapping outlines do not count twice.
    Outline reversed = {{0.1f, 0.75f}, {0.6f, 0.75f}, {0.6f, 0.25f}, {0.1f, 0.25f}};
    EXPECT_NEAR(total(outlinesMask(64, 64, 1.0f, {reversed})), total(square), 0.01f);
    Outline shifted = {{0.3f, 0.25f}, {0.8f, 0.25f}, {0.8f, 0.75f}, {0.3f, 0.75f}};
    Mask both = outlinesMask(64, 64, 1.0f, {{{0.1f, 0.25f}, {0.6f, 0.25f}, {0.6f, 0.75f}, {0.1f, 0.75f}}, shifted});
    EXPECT_NEAR(total(both), 0.7f * 0.5f * 64 * 64, 0.01f);
}

// In a stretched canvas (design width 2 over 64 pixels) shapes keep their
// design-space size.
TEST(PictureRaster, DesignSpaceFollowsTheAspect) {
    Mask m = outlinesMask(64, 32, 2.0f, {{{0.5f, 0.0f}, {1.5f, 0.0f}, {1.5f, 1.0f}, {0.5f, 1.0f}}});
    EXPECT_NEAR(total(m), 32 * 32, 0.01f);  // half the width, all of the height
}

TEST(PictureRaster, PeriodicNoiseRepeats) {
    for (int i = 0; i < 20; ++i) {
        float x = i * 0.37f, y = i * 0.91f;
        EXPECT_NEAR(perlin(x, y, 3u, 4), perlin(x + 4, y - 8, 3u, 4), 1e-5f);
        EXPECT_NEAR(fbm(x, y, 5u, 4, 3), fbm(x + 3, y + 3, 5u, 4, 3), 1e-4f);
        Cells a = cells(x, y, 7u, 5), b = cells(x + 5, y - 5, 7u, 5);
        EXPECT_NEAR(a.f1, b.f1, 1e-4f);
        EXPECT_NEAR(a.f2, b.f2, 1e-4f);
    }
}

TEST(PictureRaster, BlurKeepsTheAmountAwayFromTheEdges) {
    Mask m = makeMask(64, 64, 1.0f);
    m.a[32 * 64 + 32] = 1;
    blurMask(m, 0.05f);
    EXPECT_NEAR(total(m), 1.0f, 1e-3f);
    EXPECT_LT(m.a[32 * 64 + 32], 0.2f);
    EXPECT_NEAR(m.a[32 * 64 + 30], m.a[30 * 64 + 32], 1e-6f);  // the same both ways
}

TEST(PictureRaster, TextIsRenderedAndFitted) {
    Mask word = renderTextLine(fontBold, "light", 48);
    ASSERT_GT(word.width, 0);
    EXPECT_GT(word.aspect, 1.5f);
    EXPECT_GT(total(word), 100.0f);

    Mask canvas = makeMask(128, 64, 4.0f);
    ASSERT_TRUE(drawTextInBox(canvas, fontBold, "light", 0.2f, 0.1f, 3.8f, 0.9f));
    TextPlace place = fitTextBox(word, 0.2f, 0.1f, 3.8f, 0.9f);
    EXPECT_NEAR(place.h, 0.8f, 1e-4f);  // limited by the height of the box
    EXPECT_GT(total(canvas), 100.0f);
    // Nothing outside the box.
    for (int j = 0; j < 64; ++j)
        for (int i = 0; i < 128; ++i)
            if (i < 6 || i > 121 || j < 6 || j > 57) {
                EXPECT_EQ(canvas.a[size_t(j) * 128 + i], 0.0f);
            }

    Mask upward = makeMask(16, 128, 0.125f);
    ASSERT_TRUE(drawTextInBox(upward, fontBold, "tarn", 0.0f, 0.0f, 0.125f, 1.0f, {0.0f, true, false}));
    EXPECT_GT(total(upward), 50.0f);

    EXPECT_EQ(renderTextLine("/nonexistent/font.ttf", "x", 20).width, 0);
}

}  // namespace
