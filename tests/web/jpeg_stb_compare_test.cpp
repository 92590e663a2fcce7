// The browser's JPEG decoder (stb_image) against libjpeg-turbo, the desktop's,
// on every picture of the generated data folder.
#include <gtest/gtest.h>

#include <dirent.h>
#include <jpeglib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "image/jpeg.h"

namespace {

// libjpeg-turbo with the desktop decoder's settings (default DCT and
// upsampling, blue-green-red out).
bool decodeWithLibjpeg(const std::vector<unsigned char>& file, int* w, int* h,
                       std::vector<unsigned char>* out) {
    jpeg_decompress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), file.size());
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    *w = int(info.output_width);
    *h = int(info.output_height);
    out->resize(size_t(*w) * size_t(*h) * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out->data() + size_t(*w) * 3 * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

std::vector<unsigned char> readFile(const std::string& path) {
    std::vector<unsigned char> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    unsigned char chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(f);
    return bytes;
}

TEST(JpegStbAgainstLibjpeg, GeneratedPicturesDecodeWithinAFewLevels) {
    const std::string dir = std::string(DEMO_BUILD_DIR) + "/data";
    DIR* d = opendir(dir.c_str());
    if (!d) GTEST_SKIP() << "no generated data folder in " << dir;
    std::vector<std::string> names;
    while (dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (name.size() > 4 && name.substr(name.size() - 4) == ".jpg") names.push_back(name);
    }
    closedir(d);
    std::sort(names.begin(), names.end());
    ASSERT_FALSE(names.empty());

    double sumAll = 0;
    size_t countAll = 0;
    int maxAll = 0;
    for (const std::string& name : names) {
        const std::vector<unsigned char> file = readFile(dir + "/" + name);
        int w0 = 0, h0 = 0, w1 = 0, h1 = 0;
        std::vector<unsigned char> reference;
        ASSERT_TRUE(decodeWithLibjpeg(file, &w0, &h0, &reference)) << name;
        unsigned char* pixels = nullptr;
        ASSERT_EQ(decodeJpegBytes(file.data(), file.size(), &w1, &h1, &pixels), 1) << name;
        ASSERT_EQ(w0, w1) << name;
        ASSERT_EQ(h0, h1) << name;
        double sum = 0;
        int worst = 0;
        for (size_t i = 0; i < reference.size(); ++i) {
            const int diff = std::abs(int(reference[i]) - int(pixels[i]));
            sum += diff;
            worst = std::max(worst, diff);
        }
        std::free(pixels);
        const double mean = sum / double(reference.size());
        std::printf("%-24s %4dx%-4d mean %.3f max %d\n", name.c_str(), w0, h0, mean, worst);
        // Measured: means below 0.03 levels, no pixel off by more than 3.
        EXPECT_LT(mean, 0.25) << name;
        EXPECT_LE(worst, 8) << name;
        sumAll += sum;
        countAll += reference.size();
        maxAll = std::max(maxAll, worst);
    }
    std::printf("all %zu pictures: mean difference %.3f levels, largest %d\n", names.size(),
                sumAll / double(countAll), maxAll);
}

}  // namespace
