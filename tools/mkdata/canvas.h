#pragma once
// A floating-point picture to paint into, and the coverage masks that shapes
// and text are drawn as. Painting happens in "design space": x runs from 0 to
// the canvas aspect, y from 0 (top) to 1 (bottom). A canvas whose pixels are
// stretched on screen (a 512x256 texture shown in a 7:1 strip) gets the
// screen's aspect, so a circle in design space is round where it is shown.
#include <cmath>
#include <vector>

struct Rgb {
    float r, g, b;
};

inline Rgb rgb(float r, float g, float b) { return Rgb{r, g, b}; }
inline Rgb operator+(Rgb a, Rgb b) { return Rgb{a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb operator-(Rgb a, Rgb b) { return Rgb{a.r - b.r, a.g - b.g, a.b - b.b}; }
inline Rgb operator*(Rgb a, float k) { return Rgb{a.r * k, a.g * k, a.b * k}; }
inline Rgb operator*(Rgb a, Rgb b) { return Rgb{a.r * b.r, a.g * b.g, a.b * b.b}; }
inline Rgb mix(Rgb a, Rgb b, float t) { return a + (b - a) * t; }

inline float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
inline float mixf(float a, float b, float t) { return a + (b - a) * t; }
inline float smoothstep(float e0, float e1, float x) {
    float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

struct Canvas {
    int width;
    int height;
    float aspect;  // design-space width; the height is 1
    std::vector<Rgb> px;
};

// A coverage (or any scalar) field of the same size as a canvas.
struct Mask {
    int width;
    int height;
    float aspect;
    std::vector<float> a;
};

Canvas makeCanvas(int width, int height, float aspect);
Mask makeMask(int width, int height, float aspect);
Mask makeMaskLike(const Canvas& canvas);

// Design-space centre of a pixel, and the size of one pixel in design units.
inline float designX(int width, float aspect, int i) { return (i + 0.5f) * aspect / width; }
inline float designY(int height, int j) { return (j + 0.5f) / height; }
inline float pixelSize(int width, int height, float aspect) {
    return 0.5f * (aspect / width + 1.0f / height);
}

// Calls f(k, x, y) for every pixel of a width x height grid, row by row: its
// index and the design coordinates of its centre.
template <typename F>
void forEachPixel(int width, int height, float aspect, F f) {
    for (int j = 0; j < height; ++j) {
        float y = designY(height, j);
        for (int i = 0; i < width; ++i) f(size_t(j) * width + i, designX(width, aspect, i), y);
    }
}

// Calls f(x, y) for every pixel with its design coordinates and stores the
// colour it returns.
template <typename F>
void paint(Canvas& c, F f) {
    forEachPixel(c.width, c.height, c.aspect, [&](size_t k, float x, float y) { c.px[k] = f(x, y); });
}

template <typename F>
void fillMask(Mask& m, F f) {
    forEachPixel(m.width, m.height, m.aspect, [&](size_t k, float x, float y) { m.a[k] = f(x, y); });
}

// Paints a colour through a mask: dst = dst + colour x mask.
void addMasked(Canvas& c, const Mask& m, Rgb colour);
// dst = mix(dst, colour, mask).
void overMasked(Canvas& c, const Mask& m, Rgb colour);
// dst = mix(dst, f(x, y), mask) with a per-pixel colour.
template <typename F>
void overMaskedWith(Canvas& c, const Mask& m, F f) {
    forEachPixel(c.width, c.height, c.aspect, [&](size_t k, float x, float y) {
        float t = m.a[k];
        if (t <= 0) return;
        c.px[k] = mix(c.px[k], f(x, y), t > 1 ? 1 : t);
    });
}

// Gaussian-like blur (three box passes) with a radius in design units.
void blurMask(Mask& m, float radius);
void blurCanvas(Canvas& c, float radius);

// Mask combinations, element by element.
void maxInto(Mask& dst, const Mask& src);
void subtractFrom(Mask& dst, const Mask& src);  // dst = dst x (1 - src)

// Samples a mask at design coordinates with bilinear filtering (0 outside).
float sampleMask(const Mask& m, float x, float y);

// Sets every channel to the range 0..1.
void clampCanvas(Canvas& c);
