#pragma once
#include "support/gl_test_context.h"

// Shared by the 2D effect tests.
namespace fx2d {

// Makes sure the texture table exists (zero-filled, kept for the program).
void ensureTextureTable();

// Entry `slot` gets a solid picture with the given opacity.
void setSolidSlot(int slot, unsigned char r, unsigned char g, unsigned char b, float opacity);

// A colour 0..1 as frame-buffer levels, to compare with readPixel.
struct Level {
    float r, g, b;
};
// True when the pixel is within `tolerance` levels of the colour.
bool pixelNear(int x, int y, Level expected, int tolerance = 2);

}  // namespace fx2d

#define EXPECT_PIXEL(x, y, R, G, B)                                              \
    do {                                                                         \
        testgl::Rgb p_ = testgl::readPixel((x), (y));                            \
        EXPECT_TRUE(fx2d::pixelNear((x), (y), fx2d::Level{(R), (G), (B)}))       \
            << "pixel (" << (x) << ", " << (y) << ") is " << p_.r << " " << p_.g \
            << " " << p_.b;                                                      \
    } while (0)
