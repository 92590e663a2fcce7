#include "frame_light.h"

#include <cmath>
#include <cstddef>

namespace {

// The linear value of each 8-bit sRGB level, the sRGB transfer undone (WCAG's
// 0.03928 and sRGB's 0.04045 split the 8-bit levels alike).
struct LinearTable {
    float level[256];
    LinearTable() {
        for (int i = 0; i < 256; ++i) {
            const double c = i / 255.0;
            level[i] = float(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
    }
};

const LinearTable& linear() {
    static const LinearTable table;
    return table;
}

}  // namespace

CellGrid cellGrid(int width, int height, int cells) {
    CellGrid g;
    g.width = width;
    g.height = height;
    g.columns = width < cells ? width : cells;
    g.rows = height < cells ? height : cells;
    return g;
}

std::vector<int> cellPixelCounts(const CellGrid& g) {
    std::vector<int> pixels(size_t(g.columns) * size_t(g.rows), 0);
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x)
            ++pixels[size_t(y * g.rows / g.height) * size_t(g.columns) +
                     size_t(x * g.columns / g.width)];
    return pixels;
}

void measureFrameLight(const unsigned char* rgb, const CellGrid& grid, FrameLight* light) {
    const float* l = linear().level;
    const size_t cells = size_t(grid.columns) * size_t(grid.rows);
    std::vector<double> sums(cells * 3, 0.0);
    std::vector<int> counts(cells, 0);
    for (int y = 0; y < grid.height; ++y) {
        const size_t row = size_t(y * grid.rows / grid.height) * size_t(grid.columns);
        const unsigned char* p = rgb + size_t(y) * size_t(grid.width) * 3;
        for (int x = 0; x < grid.width; ++x, p += 3) {
            const size_t cell = row + size_t(x * grid.columns / grid.width);
            sums[cell * 3] += l[p[0]];
            sums[cell * 3 + 1] += l[p[1]];
            sums[cell * 3 + 2] += l[p[2]];
            ++counts[cell];
        }
    }
    light->luminance.resize(cells);
    light->redness.resize(cells);
    light->saturatedRed.resize(cells);
    for (size_t c = 0; c < cells; ++c) {
        const double r = sums[c * 3] / counts[c], g = sums[c * 3 + 1] / counts[c],
                     b = sums[c * 3 + 2] / counts[c];
        light->luminance[c] = float(0.2126 * r + 0.7152 * g + 0.0722 * b);
        const double red = (r - g - b) * 320.0;
        light->redness[c] = float(red > 0 ? red : 0);
        const double sum = r + g + b;
        light->saturatedRed[c] = sum > 0 && r >= 0.8 * sum;
    }
}
