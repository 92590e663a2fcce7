#include <gtest/gtest.h>

#include "platform/viewport_fit.h"

namespace {
void expectRect(const ViewportRect& r, int x, int y, int w, int h) {
    EXPECT_EQ(r.x, x);
    EXPECT_EQ(r.y, y);
    EXPECT_EQ(r.width, w);
    EXPECT_EQ(r.height, h);
}

// The picture fitted into a drawable of width x height and the two black bars
// beside it (x, y, width, height each).
void expectFitWithBars(int width, int height, const int (&picture)[4], const int (&first)[4],
                       const int (&second)[4]) {
    SCOPED_TRACE(testing::Message() << width << "x" << height);
    const ViewportRect r = fitPictureViewport(width, height);
    expectRect(r, picture[0], picture[1], picture[2], picture[3]);
    ViewportRect bars[2];
    ASSERT_EQ(pictureBars(width, height, r, bars), 2);
    expectRect(bars[0], first[0], first[1], first[2], first[3]);
    expectRect(bars[1], second[0], second[1], second[2], second[3]);
}
}  // namespace

TEST(PictureViewport, FourByThreeDrawablesAreFilledExactly) {
    // The recorded sizes must keep their pictures bit for bit.
    expectRect(fitPictureViewport(640, 480), 0, 0, 640, 480);
    expectRect(fitPictureViewport(1280, 960), 0, 0, 1280, 960);
    expectRect(fitPictureViewport(4, 3), 0, 0, 4, 3);
    ViewportRect bars[2];
    EXPECT_EQ(pictureBars(640, 480, fitPictureViewport(640, 480), bars), 0);
}

TEST(PictureViewport, WideDrawablesGetCentredBarsLeftAndRight) {
    // 1000x500: 667x500 picture, 166 + 167 black columns.
    expectFitWithBars(1000, 500, {166, 0, 667, 500}, {0, 0, 166, 500}, {833, 0, 167, 500});
    // A 16:9 desktop.
    expectRect(fitPictureViewport(1920, 1080), 240, 0, 1440, 1080);
}

TEST(PictureViewport, TallDrawablesGetBarsAboveAndBelow) {
    // The 5:4 desktop of 1280x1024.
    expectFitWithBars(1280, 1024, {0, 32, 1280, 960}, {0, 0, 1280, 32}, {0, 992, 1280, 32});
}

TEST(PictureViewport, DegenerateSizesStayDrawable) {
    // A minimised window reports a height of 0: never an empty viewport.
    const ViewportRect r = fitPictureViewport(640, 0);
    EXPECT_GE(r.width, 1);
    EXPECT_GE(r.height, 1);
    expectRect(fitPictureViewport(0, 0), 0, 0, 1, 1);
    const ViewportRect thin = fitPictureViewport(1, 1000);
    EXPECT_EQ(thin.width, 1);
    EXPECT_EQ(thin.height, 1);
    EXPECT_EQ(thin.y, 499);
}
