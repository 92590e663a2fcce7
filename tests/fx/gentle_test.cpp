// The arithmetic of gentle play: the flash share, the sprites' fade near the
// eye and the tempering of saturated reds.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fx/gentle.h"

namespace {

float linear(int stored) {
    const float c = float(stored) / 255.0f;
    return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
}

struct Light {
    float redShare, luminance;
};
Light lightOf(const unsigned char* p) {
    const float r = linear(p[0]), g = linear(p[1]), b = linear(p[2]);
    const float sum = r + g + b;
    return {sum > 0 ? r / sum : 0, 0.2126f * r + 0.7152f * g + 0.0722f * b};
}

}  // namespace

TEST(Gentle, FlashesKeepTheirShapeAtTheirShare) {
    EXPECT_FLOAT_EQ(gentleFlashLevel(1), gentleFlashShare);
    EXPECT_FLOAT_EQ(gentleFlashLevel(0.5f), 0.5f * gentleFlashShare);
    EXPECT_FLOAT_EQ(gentleFlashLevel(0), 0);
}

TEST(Gentle, SpritesFadeBetweenATenthAndAFifthOfTheirDistance) {
    EXPECT_FLOAT_EQ(gentleSpriteWeight(0.5f, -10), 1);
    EXPECT_FLOAT_EQ(gentleSpriteWeight(1.0f, -10), 1);
    EXPECT_NEAR(gentleSpriteWeight(1.5f, -10), 0.5f, 1e-5f);
    EXPECT_FLOAT_EQ(gentleSpriteWeight(2.0f, -10), 0);
    EXPECT_FLOAT_EQ(gentleSpriteWeight(50, -10), 0);
    // Only the distance counts, and at the eye itself nothing is divided by 0.
    EXPECT_NEAR(gentleSpriteWeight(1.5f, 10), 0.5f, 1e-5f);
    EXPECT_FLOAT_EQ(gentleSpriteWeight(0.1f, 0), 0);
    EXPECT_FLOAT_EQ(gentleSpriteWeight(0, 0), 1);
    // Nearer is never brighter.
    float last = 1;
    for (float depth = -20; depth < -1; depth += 0.25f) {
        const float w = gentleSpriteWeight(2, depth);
        EXPECT_LE(w, last) << depth;
        last = w;
    }
}

// Every colour of a grid over the RGB cube: afterwards none is a saturated
// red, each keeps its luminance, and those that were none are untouched.
TEST(Gentle, TemperedPicturesHoldNoSaturatedRed) {
    std::vector<unsigned char> before;
    for (int r = 0; r < 256; r += 3)
        for (int g = 0; g < 256; g += 5)
            for (int b = 0; b < 256; b += 5) before.insert(before.end(), {
                static_cast<unsigned char>(r), static_cast<unsigned char>(g),
                static_cast<unsigned char>(b)});
    std::vector<unsigned char> after = before;
    temperSaturatedRed(after.data(), long(after.size() / 3));
    int tempered = 0;
    for (size_t i = 0; i < before.size(); i += 3) {
        const Light was = lightOf(&before[i]), is = lightOf(&after[i]);
        EXPECT_LE(is.redShare, gentleRedShare) << int(before[i]) << " " << int(before[i + 1]);
        // Eight bits hold the luminance to about half a level of the brightest channel.
        EXPECT_NEAR(is.luminance, was.luminance, 0.004f + 0.02f * was.luminance) << int(before[i]);
        if (was.redShare <= gentleRedShare) {
            EXPECT_EQ(after[i], before[i]);
            EXPECT_EQ(after[i + 1], before[i + 1]);
            EXPECT_EQ(after[i + 2], before[i + 2]);
        } else {
            ++tempered;
            // Still a red: only its saturation is taken back.
            EXPECT_GE(after[i], after[i + 1]);
            EXPECT_GE(after[i], after[i + 2]);
        }
    }
    EXPECT_GT(tempered, 1000);
}

TEST(Gentle, TheDemosBloodRedBecomesADuskyRose) {
    unsigned char pixels[] = {237, 58, 42, 255, 0, 0, 0, 0, 0, 200, 200, 200};
    temperSaturatedRed(pixels, 4);
    EXPECT_NEAR(lightOf(pixels).redShare, gentleRedShare, 0.02f);
    EXPECT_NEAR(lightOf(pixels + 3).redShare, gentleRedShare, 0.02f);
    EXPECT_GT(pixels[0], 180);
    EXPECT_EQ(pixels[6], 0);  // black stays black
    EXPECT_EQ(pixels[9], 200);
}
