// Inputs the fuzzers found, kept so the fixes stay in place.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "image/bmp.h"
#include "image/jpeg.h"
#include "support/error_capture.h"

namespace {
std::vector<unsigned char> finding(const std::string& name) {
    std::ifstream in(std::string(DEMO_SOURCE_DIR) + "/tests/image/fuzz_findings/" + name,
                     std::ios::binary);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), {});
}

double secondsFor(void (*f)(const std::vector<unsigned char>&), const std::vector<unsigned char>& d) {
    const auto t0 = std::chrono::steady_clock::now();
    f(d);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}
}  // namespace

// A header claiming 128 x 1.6 million rows over a few bytes of pixels: refused
// before 600 MB are allocated and cleared.
TEST(FuzzFindings, BmpWithHugeHeightAndShortDataIsRefusedAtOnce) {
    const std::vector<unsigned char> data = finding("bmp-huge-height-short-data.bmp");
    ASSERT_FALSE(data.empty());
    ErrorCapture capture;
    const double s = secondsFor(
        [](const std::vector<unsigned char>& d) {
            Image* image = nullptr;
            EXPECT_EQ(decodeBmpBytes(d.data(), d.size(), "finding.bmp", &image), nullptr);
        },
        data);
    EXPECT_TRUE(capture.contains("Image file conversion error."));
    EXPECT_LT(s, 1.0);
}

// A JPEG header claiming gigapixels is refused instead of asking for 12 GB.
TEST(FuzzFindings, JpegWithHugeDimensionsIsRefused) {
    const std::vector<unsigned char> data = finding("jpeg-huge-dimensions.jpg");
    ASSERT_FALSE(data.empty());
    int w = 0, h = 0;
    unsigned char* pixels = reinterpret_cast<unsigned char*>(1);
    EXPECT_EQ(decodeJpegBytes(data.data(), data.size(), &w, &h, &pixels), 0);
    EXPECT_EQ(pixels, nullptr);
}
