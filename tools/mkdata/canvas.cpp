#include "canvas.h"

#include <algorithm>

Canvas makeCanvas(int width, int height, float aspect) {
    return Canvas{width, height, aspect, std::vector<Rgb>(size_t(width) * height, Rgb{0, 0, 0})};
}

Mask makeMask(int width, int height, float aspect) {
    return Mask{width, height, aspect, std::vector<float>(size_t(width) * height, 0.0f)};
}

Mask makeMaskLike(const Canvas& canvas) {
    return makeMask(canvas.width, canvas.height, canvas.aspect);
}

void addMasked(Canvas& c, const Mask& m, Rgb colour) {
    for (size_t k = 0; k < c.px.size(); ++k) c.px[k] = c.px[k] + colour * m.a[k];
}

void overMasked(Canvas& c, const Mask& m, Rgb colour) {
    for (size_t k = 0; k < c.px.size(); ++k) c.px[k] = mix(c.px[k], colour, clamp01(m.a[k]));
}

namespace {

// One box pass over `count` values spaced `stride` apart; values outside
// the line count as zero, so glows fade out at the picture's edges.
void boxLine(float* data, int count, int stride, int half, std::vector<float>& tmp) {
    if (half <= 0) return;
    tmp.resize(size_t(count));
    for (int i = 0; i < count; ++i) tmp[size_t(i)] = data[size_t(i) * stride];
    float norm = 1.0f / float(2 * half + 1);
    double sum = 0;
    for (int i = -half; i <= half; ++i)
        if (i >= 0 && i < count) sum += tmp[size_t(i)];
    for (int i = 0; i < count; ++i) {
        data[size_t(i) * stride] = float(sum) * norm;
        int out = i - half;
        int in = i + half + 1;
        if (out >= 0) sum -= tmp[size_t(out)];
        if (in < count) sum += tmp[size_t(in)];
    }
}

int boxHalfWidth(float sigmaPixels) {
    // Three passes of width w give a variance of 3 (w^2 - 1) / 12.
    float w = std::sqrt(4 * sigmaPixels * sigmaPixels + 1);
    return int(std::lround((w - 1) * 0.5f));
}

void blurPlane(float* data, int width, int height, int stride, float sigmaX, float sigmaY) {
    std::vector<float> tmp;
    int hx = boxHalfWidth(sigmaX);
    int hy = boxHalfWidth(sigmaY);
    for (int pass = 0; pass < 3; ++pass) {
        for (int j = 0; j < height; ++j)
            boxLine(data + size_t(j) * width * stride, width, stride, hx, tmp);
        for (int i = 0; i < width; ++i)
            boxLine(data + size_t(i) * stride, height, width * stride, hy, tmp);
    }
}

}  // namespace

void blurMask(Mask& m, float radius) {
    blurPlane(m.a.data(), m.width, m.height, 1, radius * m.width / m.aspect, radius * m.height);
}

void blurCanvas(Canvas& c, float radius) {
    float* base = &c.px[0].r;
    for (int ch = 0; ch < 3; ++ch)
        blurPlane(base + ch, c.width, c.height, 3, radius * c.width / c.aspect,
                  radius * c.height);
}

void maxInto(Mask& dst, const Mask& src) {
    for (size_t k = 0; k < dst.a.size(); ++k) dst.a[k] = std::max(dst.a[k], src.a[k]);
}

void subtractFrom(Mask& dst, const Mask& src) {
    for (size_t k = 0; k < dst.a.size(); ++k) dst.a[k] *= 1 - clamp01(src.a[k]);
}

float sampleMask(const Mask& m, float x, float y) {
    float fx = x * m.width / m.aspect - 0.5f;
    float fy = y * m.height - 0.5f;
    int x0 = int(std::floor(fx));
    int y0 = int(std::floor(fy));
    float tx = fx - x0;
    float ty = fy - y0;
    auto at = [&](int i, int j) -> float {
        if (i < 0 || j < 0 || i >= m.width || j >= m.height) return 0;
        return m.a[size_t(j) * m.width + i];
    };
    float top = mixf(at(x0, y0), at(x0 + 1, y0), tx);
    float bottom = mixf(at(x0, y0 + 1), at(x0 + 1, y0 + 1), tx);
    return mixf(top, bottom, ty);
}

void clampCanvas(Canvas& c) {
    for (Rgb& p : c.px) p = Rgb{clamp01(p.r), clamp01(p.g), clamp01(p.b)};
}
