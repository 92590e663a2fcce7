#include <gtest/gtest.h>

#include <vector>

#include "platform/display_modes.h"

namespace {
DisplayMode mode(int w, int h, int bits, int hz = 60) { return DisplayMode{w, h, bits, hz}; }
}  // namespace

TEST(DisplayModeSearch, PicksTheDeepestModeOfTheSize) {
    const std::vector<DisplayMode> modes = {mode(640, 480, 8), mode(800, 600, 32),
                                            mode(640, 480, 16), mode(640, 480, 32),
                                            mode(1024, 768, 32)};
    EXPECT_EQ(findBestDisplayMode(modes.data(), int(modes.size()), 640, 480), 3);
}

TEST(DisplayModeSearch, EqualDepthsResolveToTheFirstEnumerated) {
    const std::vector<DisplayMode> modes = {mode(640, 480, 32, 75), mode(640, 480, 32, 60),
                                            mode(640, 480, 16, 85)};
    EXPECT_EQ(findBestDisplayMode(modes.data(), int(modes.size()), 640, 480), 0);
}

TEST(DisplayModeSearch, NoModeOfTheSizeFails) {
    const std::vector<DisplayMode> modes = {mode(800, 600, 32), mode(640, 400, 32),
                                            mode(480, 640, 32)};
    EXPECT_EQ(findBestDisplayMode(modes.data(), int(modes.size()), 640, 480), -1);
    EXPECT_EQ(findBestDisplayMode(modes.data(), 0, 640, 480), -1);
}

TEST(DisplayModeSearch, OnlyTheFirst4999ModesAreCompared) {
    std::vector<DisplayMode> modes(maxDisplayModes, mode(800, 600, 32));
    modes[4998] = mode(640, 480, 16);
    modes[4999] = mode(640, 480, 32);
    EXPECT_EQ(findBestDisplayMode(modes.data(), int(modes.size()), 640, 480), 4998);
}
