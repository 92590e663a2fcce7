#include "image/downsample.h"

#include <cmath>
#include <vector>

namespace {
struct SrgbTables {
    float toLinear[256];
    unsigned char toSrgb[4096];  // linear light in steps of 1/4095
    SrgbTables() {
        for (int i = 0; i < 256; ++i) {
            const double c = i / 255.0;
            toLinear[i] = float(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
        for (int i = 0; i < 4096; ++i) {
            const double l = i / 4095.0;
            const double c = l <= 0.0031308 ? l * 12.92 : 1.055 * std::pow(l, 1 / 2.4) - 0.055;
            toSrgb[i] = (unsigned char)(c * 255.0 + 0.5);
        }
    }
};
const SrgbTables& tables() {
    static const SrgbTables t;
    return t;
}
}  // namespace

void downsampleRgb(const unsigned char* big, int width, int height, int k, bool linear,
                   unsigned char* out) {
    const SrgbTables& t = tables();
    const size_t bigRow = size_t(width) * size_t(k) * 3;
    const float n = float(k * k);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            float sum[3] = {0, 0, 0};
            for (int dy = 0; dy < k; ++dy) {
                const unsigned char* p = big + size_t(y * k + dy) * bigRow + size_t(x) * k * 3;
                for (int dx = 0; dx < k; ++dx, p += 3)
                    for (int c = 0; c < 3; ++c) sum[c] += linear ? t.toLinear[p[c]] : float(p[c]);
            }
            unsigned char* o = out + (size_t(y) * width + x) * 3;
            for (int c = 0; c < 3; ++c) {
                const float m = sum[c] / n;
                o[c] = linear ? t.toSrgb[int(m * 4095.0f + 0.5f)] : (unsigned char)(m + 0.5f);
            }
        }
    }
}
