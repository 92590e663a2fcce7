#pragma once
#include <cstdint>

struct SDL_Window;

// A hidden 640x480 window with a GL context for drawing tests (SDL's offscreen
// driver when no display is set). Created once per test program.
namespace testgl {

// A window of that size with a GL context made current: at least colourBits
// a channel, 16 depth bits, double-buffered; OpenGL ES 2 with es. SDL's
// offscreen driver unless another is set. Null, the reason on stderr, when
// either cannot be made.
SDL_Window* openGlWindow(const char* title, int width, int height, int colourBits, bool es);

// Makes the context current; false (and the test should skip) when none can be made.
bool ensureContext();

// Clear colour and depth to the given colour, depth 1, reset the common state.
void clearFrame(float r, float g, float b);

struct Rgb {
    int r, g, b;
};
// glFinish, then read one pixel of the back buffer (origin bottom left).
Rgb readPixel(int x, int y);

// Uploads a small solid-colour texture and returns its name.
unsigned solidTexture(unsigned char r, unsigned char g, unsigned char b);
// A bound texture of packed RGB texels (rows of width x 3 bytes), with this
// filter for both directions; returns its name.
unsigned rgbTexture(const unsigned char* texels, int width, int height, int filter);

}  // namespace testgl

#define REQUIRE_GL()                                                  \
    do {                                                              \
        if (!testgl::ensureContext()) GTEST_SKIP() << "no GL context"; \
    } while (0)
