#include <gtest/gtest.h>

#include <cmath>

#include "flash_pictures.h"

// Synthetic sequences with a known count of flashes, at both capture rates.

namespace {

const int width = 96, height = 72;  // 4 x 3 pixels to a cell
const Rgb black{0, 0, 0}, white{255, 255, 255};

// A square wave between two colours over the whole picture, three seconds.
FlashAnalysis blinking(long rate, long perSecond, Rgb on, Rgb off) {
    return analyseFrames(width, height, rate, 3 * rate, [&](long f) {
        return plainPicture(width, height, squareWaveOn(f, rate, perSecond) ? on : off);
    });
}

class FlashRates : public ::testing::TestWithParam<long> {};

}  // namespace

TEST_P(FlashRates, ThreeFlashesASecondPassFourFail) {
    const long rate = GetParam();
    const FlashAnalysis three = blinking(rate, 3, white, black);
    EXPECT_EQ(three.worst.flashes, 3);
    EXPECT_TRUE(flashesPass(three.worst));
    EXPECT_NEAR(three.worst.step, 1.0, 1e-6);
    EXPECT_NEAR(three.worst.area, 1.0, 1e-6);
    const FlashAnalysis four = blinking(rate, 4, white, black);
    EXPECT_EQ(four.worst.flashes, 4);
    EXPECT_EQ(four.worst.redFlashes, 0);
    EXPECT_FALSE(flashesPass(four.worst));
    // Every second's worst window holds them; the table covers the seconds with a window start.
    ASSERT_EQ(four.seconds.size(), 3u);
    for (const SecondFlashes& s : four.seconds) EXPECT_GE(s.worst.flashes, 3) << s.second;
}

TEST_P(FlashRates, ChangesTooSmallOrTooBrightAreNoFlashes) {
    const long rate = GetParam();
    // Black and a dark grey (relative luminance 0.045): below the 0.1 step.
    EXPECT_EQ(blinking(rate, 5, Rgb{60, 60, 60}, black).worst.flashes, 0);
    // 0.83 and white: the darker state is not below 0.8.
    EXPECT_EQ(blinking(rate, 5, Rgb{235, 235, 235}, white).worst.flashes, 0);
    // A mid grey and black: 0.13 apart, the darker state dark enough.
    EXPECT_EQ(blinking(rate, 5, Rgb{100, 100, 100}, black).worst.flashes, 5);
}

TEST_P(FlashRates, SaturatedRedFlashesCountOnTheirOwn) {
    const long rate = GetParam();
    // Red and a grey of the same luminance: no general flash, a red one.
    const Rgb red{255, 0, 0}, grey{127, 127, 127};
    const FlashAnalysis four = blinking(rate, 4, red, grey);
    EXPECT_EQ(four.worst.flashes, 0);
    EXPECT_EQ(four.worst.redFlashes, 4);
    EXPECT_FALSE(flashesPass(four.worst));
    EXPECT_TRUE(flashesPass(blinking(rate, 3, red, grey).worst));
    // Pink is no saturated red: its changes are general flashes only.
    const FlashAnalysis pink = blinking(rate, 4, Rgb{255, 180, 180}, white);
    EXPECT_EQ(pink.worst.redFlashes, 0);
    EXPECT_EQ(pink.worst.flashes, 4);
}

TEST_P(FlashRates, AFlashCountsFromAQuarterOfThePicture) {
    const long rate = GetParam();
    // A band across the top flashing four times a second.
    auto band = [&](int rows) {
        return analyseFrames(width, height, rate, 2 * rate, [&](long f) {
            return bandPicture(width, height, rows, squareWaveOn(f, rate, 4) ? white : black,
                               black);
        });
    };
    EXPECT_EQ(band(height / 4).worst.flashes, 4);  // 25 %
    EXPECT_NEAR(band(height / 4).worst.area, 0.25, 1e-6);
    EXPECT_EQ(band(height / 5).worst.flashes, 0);  // 20 %
}

TEST_P(FlashRates, AFadeOverSeveralFramesIsOneTransition) {
    const long rate = GetParam();
    // A white veil fades in over a fifth of a second and out again, once a
    // second, over a ground that runs from black to light grey: the bright
    // side passes the threshold frames before the dark side does.
    const long fade = rate / 5;
    const FlashAnalysis a = analyseFrames(width, height, rate, 3 * rate, [&](long f) {
        const long t = f % rate;
        const double veil = t < fade ? double(t) / fade : t < 2 * fade ? double(2 * fade - t) / fade : 0;
        std::vector<unsigned char> rgb(size_t(width) * height * 3);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const double ground = 200.0 * x / (width - 1);
                const auto v = (unsigned char)std::lround(ground + veil * (255 - ground));
                unsigned char* p = &rgb[(size_t(y) * width + x) * 3];
                p[0] = p[1] = p[2] = v;
            }
        return rgb;
    });
    EXPECT_EQ(a.general.transitions.size(), 6u);  // in and out, three times
    EXPECT_EQ(a.worst.flashes, 1);
}

INSTANTIATE_TEST_SUITE_P(Rates, FlashRates, ::testing::Values(30L, 60L));

TEST(FlashSequence, ALineSweepingByIsNoFlash) {
    // A thin bright line crosses every cell of a dark picture four times a
    // second: each cell changes, but never a quarter of the picture at once.
    const long rate = 60;
    const FlashAnalysis a = analyseFrames(width, height, rate, 2 * rate, [&](long f) {
        std::vector<unsigned char> rgb = plainPicture(width, height, black);
        const int x = int(f * 6 % width);
        for (int y = 0; y < height; ++y)
            for (int c = 0; c < 3; ++c) rgb[(size_t(y) * width + size_t(x)) * 3 + size_t(c)] = 255;
        return rgb;
    });
    EXPECT_EQ(a.worst.flashes, 0);
    EXPECT_TRUE(a.general.transitions.empty());
}

TEST(FlashSequence, ScatteredBlinkingIsNoFlash) {
    // Every cell blinks six times a second, each at its own moment (sparkles,
    // particles): a third of the cells turn each way within any few frames,
    // but in scattered places, never one patch of a quarter of the picture.
    const long rate = 60;
    std::vector<long> phase(24 * 24);
    unsigned seed = 12345;
    for (long& p : phase) p = long((seed = seed * 1103515245u + 12345u) >> 16) % rate;
    const FlashAnalysis a = analyseFrames(width, height, rate, 2 * rate, [&](long f) {
        std::vector<unsigned char> rgb(size_t(width) * height * 3);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const bool on = squareWaveOn(f + phase[size_t(y / 3 * 24 + x / 4)], rate, 6);
                for (int c = 0; c < 3; ++c) rgb[(size_t(y) * width + x) * 3 + size_t(c)] = on ? 255 : 0;
            }
        return rgb;
    });
    EXPECT_EQ(a.worst.flashes, 0);
}

TEST(FlashSequence, TimesFollowTheFirstFrame) {
    // Frames from 600 on at 60 fps start at 10 s of music; one flash in the
    // second window.
    const FlashAnalysis a = analyseFrames(width, height, 60, 180, [&](long f) {
        return plainPicture(width, height, f >= 700 && f < 705 ? white : black);
    }, 600);
    ASSERT_EQ(a.seconds.size(), 3u);
    EXPECT_EQ(a.seconds[0].second, 10);
    EXPECT_EQ(a.worst.flashes, 1);
    EXPECT_EQ(a.general.transitions.front().frame, 700);
    EXPECT_LE(a.worst.firstFrame, 700);
    // A sequence shorter than a second is one window.
    const FlashAnalysis shortOne = analyseFrames(width, height, 60, 20, [&](long f) {
        return plainPicture(width, height, f % 4 < 2 ? white : black);
    });
    EXPECT_EQ(shortOne.worst.flashes, 4);
    EXPECT_EQ(shortOne.seconds.size(), 1u);
}

TEST(FlashSequence, WindowsSpanLessThanASecond) {
    EXPECT_EQ(flashWindowFrames(60, 1), 60);
    EXPECT_EQ(flashWindowFrames(30, 1), 30);
    EXPECT_EQ(flashWindowFrames(60000, 1001), 60);  // 59.94 fps
    EXPECT_EQ(flashWindowFrames(24000, 1001), 24);
    EXPECT_EQ(frameSecond(7199, 60, 1), 119);
    EXPECT_EQ(frameSecond(7200, 60000, 1001), 120);  // 120.12 s
}
