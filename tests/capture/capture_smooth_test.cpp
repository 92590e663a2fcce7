// --msaa and --supersample: the same picture, smoother edges.
#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/png_read.h"
#include "support/process.h"

namespace {
const std::string dataDir = DEMO_BUILD_DIR "/data";

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    int grey(int x, int y) const {
        const unsigned char* p = &rgb[(size_t(y) * width + x) * 3];
        return p[0] + p[1] + p[2];
    }
};

bool readPng(const std::string& path, Picture* pic) {
    return readPngRgb(path, &pic->rgb, &pic->width, &pic->height);
}

// Pixels of the plain frame with a neighbour more than 60 levels away.
std::vector<char> edgeMask(const Picture& p) {
    std::vector<char> m(size_t(p.width) * p.height, 0);
    for (int y = 1; y + 1 < p.height; ++y)
        for (int x = 1; x + 1 < p.width; ++x) {
            const int g = p.grey(x, y);
            m[size_t(y) * p.width + x] = std::abs(p.grey(x + 1, y) - g) > 60 ||
                                         std::abs(p.grey(x, y + 1) - g) > 60 ||
                                         std::abs(p.grey(x - 1, y) - g) > 60 ||
                                         std::abs(p.grey(x, y - 1) - g) > 60;
        }
    return m;
}

// High-frequency energy along the edges: the mean absolute second difference
// across and down. A stair-stepped edge jumps from one pixel to the next; a
// filtered one ramps, and ramps have no second difference. Textures inside
// the faces keep theirs, so only the edges are measured.
double highFrequency(const Picture& p, const std::vector<char>& mask) {
    double sum = 0;
    long n = 0;
    for (int y = 1; y + 1 < p.height; ++y)
        for (int x = 1; x + 1 < p.width; ++x) {
            if (!mask[size_t(y) * p.width + x]) continue;
            const int c = 2 * p.grey(x, y);
            sum += std::abs(p.grey(x - 1, y) + p.grey(x + 1, y) - c) +
                   std::abs(p.grey(x, y - 1) + p.grey(x, y + 1) - c);
            ++n;
        }
    return n ? sum / double(n) : 0;
}

// Mean difference from the plain frame on its edge pixels and on the rest.
void differences(const Picture& plain, const Picture& other, const std::vector<char>& mask,
                 double* edges, double* rest, double* all) {
    double e = 0, r = 0;
    long ne = 0, nr = 0;
    for (int y = 1; y + 1 < plain.height; ++y)
        for (int x = 1; x + 1 < plain.width; ++x) {
            const bool edge = mask[size_t(y) * plain.width + x];
            const double d = std::abs(other.grey(x, y) - plain.grey(x, y)) / 3.0;
            (edge ? e : r) += d;
            ++(edge ? ne : nr);
        }
    *edges = ne ? e / double(ne) : 0;
    *rest = nr ? r / double(nr) : 0;
    *all = (e + r) / double(ne + nr);
}

// Every second pixel of a frame drawn twice as large: supersampled, not
// filtered down.
Picture decimate(const Picture& big) {
    Picture p;
    p.width = big.width / 2;
    p.height = big.height / 2;
    p.rgb.resize(size_t(p.width) * p.height * 3);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            for (int c = 0; c < 3; ++c)
                p.rgb[(size_t(y) * p.width + x) * 3 + c] =
                    big.rgb[(size_t(2 * y) * big.width + 2 * x) * 3 + c];
    return p;
}

bool captureAt(const std::string& dir, std::vector<std::string> extra) {
    std::vector<std::string> args = {"--data", dataDir, "--quiet", "--rate", "2",
                                     "--at", "90,60", "-o", dir};
    args.insert(args.end(), extra.begin(), extra.end());
    const ProcessResult r = runProcess(DEMO_CAPTURE_EXE, args, {"DISPLAY="}, 300);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return r.exitCode == 0;
}
}  // namespace

// 90 s: wireframe over the neuronal scene; 60 s: the darm scene's particles.
TEST(Capture, MultisampledAndSupersampledFramesDifferOnlyNearEdgesAndAliasLess) {
    if (!fileExists(dataDir + "/light.dat")) GTEST_SKIP() << "no generated data";
    const std::string tmp = makeTempDir("smooth");
    const char* names[4] = {"plain", "msaa", "ss", "big"};
    ASSERT_TRUE(captureAt(tmp + "/plain", {}));
    ASSERT_TRUE(captureAt(tmp + "/msaa", {"--msaa", "4"}));
    ASSERT_TRUE(captureAt(tmp + "/ss", {"--supersample", "2"}));
    ASSERT_TRUE(captureAt(tmp + "/big", {"--size", "1280x960"}));
    for (const char* at : {"90", "60"}) {
        Picture p[4];
        for (int i = 0; i < 4; ++i)
            ASSERT_TRUE(readPng(tmp + "/" + names[i] + "/at-" + at + ".png", &p[i])) << names[i];
        const Picture unfiltered = decimate(p[3]);
        std::vector<char> mask = edgeMask(p[0]);
        // The edges that either way of smoothing touched: drawn geometry.
        // Hard edges inside the pictures of the layers stay as they are.
        for (size_t k = 0; k < mask.size(); ++k) {
            bool moved = false;
            for (int i = 1; i <= 2; ++i)
                for (int c = 0; c < 3; ++c)
                    moved = moved || std::abs(p[i].rgb[k * 3 + c] - p[0].rgb[k * 3 + c]) > 8;
            mask[k] = mask[k] && moved;
        }
        const double plainHf = highFrequency(p[0], mask);
        const double unfilteredHf = highFrequency(unfiltered, mask);
        std::printf("%s s: high frequency plain %.2f, unfiltered 2x %.2f", at, plainHf,
                    unfilteredHf);
        for (int i = 1; i <= 2; ++i) {
            double edges = 0, rest = 0, all = 0;
            differences(p[0], p[i], mask, &edges, &rest, &all);
            const double hf = highFrequency(p[i], mask);
            std::printf(", %s %.2f (differences: edges %.2f, rest %.2f, all %.2f)", names[i], hf,
                        edges, rest, all);
            EXPECT_LT(all, 4.0) << names[i] << " at " << at;
            EXPECT_GT(edges, 3 * rest) << names[i] << " at " << at;
            EXPECT_GT(edges, 1.0) << names[i] << " at " << at;
            if (i == 2) {
                EXPECT_LT(hf, 0.85 * plainHf) << names[i] << " at " << at;
                // The measure tells filtered from unfiltered samples.
                EXPECT_LT(hf, 0.85 * unfilteredHf) << names[i] << " at " << at;
            } else {
                // Multisampling smooths only the edges of polygons and lines;
                // most hard edges here are in the pictures of blended layers
                // and sprites, which keep them.
                EXPECT_LT(hf, plainHf) << names[i] << " at " << at;
            }
        }
        std::printf("\n");
        EXPECT_GT(unfilteredHf, 0.85 * plainHf) << at;
    }
    removeTree(tmp);
}
