#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>

#include "image/jpeg.h"
#include "image_test_util.h"

namespace {

using imagetest::Bytes;

const unsigned char red[3] = {255, 0, 0};
const unsigned char blue[3] = {0, 0, 255};

// Flat colours survive the encoder within a level or two.
void expectNear(const unsigned char* p, int b, int g, int r) {
    EXPECT_NEAR(p[0], b, 3);
    EXPECT_NEAR(p[1], g, 3);
    EXPECT_NEAR(p[2], r, 3);
}

TEST(JpegDecoder, TopRowFirstBlueGreenRed) {
    Bytes file = imagetest::encodeJpeg(32, 16, 3, imagetest::twoBands(32, 16, red, blue));
    int w = 0, h = 0;
    unsigned char* pixels = nullptr;
    ASSERT_EQ(decodeJpegBytes(file.data(), file.size(), &w, &h, &pixels), 1);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(w, 32);
    EXPECT_EQ(h, 16);
    expectNear(pixels + (2 * 32 + 5) * 3, 0, 0, 255);    // top band: red
    expectNear(pixels + (13 * 32 + 20) * 3, 255, 0, 0);  // bottom band: blue
    std::free(pixels);
}

TEST(JpegDecoder, GreyscaleGivesTheSameThreeByteLayout) {
    Bytes grey(8 * 8);
    for (int i = 0; i < 64; ++i) grey[i] = i < 32 ? 40 : 200;
    Bytes file = imagetest::encodeJpeg(8, 8, 1, grey);
    int w = 0, h = 0;
    unsigned char* pixels = nullptr;
    ASSERT_EQ(decodeJpegBytes(file.data(), file.size(), &w, &h, &pixels), 1);
    expectNear(pixels, 40, 40, 40);
    expectNear(pixels + 63 * 3, 200, 200, 200);
    std::free(pixels);
}

TEST(JpegDecoder, DamagedDataFailsWithoutAPicture) {
    const Bytes rgb = imagetest::twoBands(64, 64, red, blue);
    for (bool progressive : {false, true}) {
        const Bytes file = imagetest::encodeJpeg(64, 64, 3, rgb, progressive);
        Bytes garbage = file;
        for (size_t i = garbage.size() / 2; i < garbage.size() - 2; ++i) garbage[i] = uint8_t(i * 7);
        std::vector<Bytes> damaged = {
            Bytes(file.begin(), file.begin() + file.size() / 2),  // cut in the scan
            Bytes(file.begin(), file.begin() + 20),               // cut in the header
            Bytes(file.begin(), file.end() - 2),                  // no end marker
            garbage,
            Bytes(100, 0x42),
        };
        for (size_t i = 0; i < damaged.size(); ++i) {
            int w = -1, h = -1;
            unsigned char* pixels = reinterpret_cast<unsigned char*>(1);
            EXPECT_EQ(decodeJpegBytes(damaged[i].data(), damaged[i].size(), &w, &h, &pixels), 0)
                << "case " << i << (progressive ? " progressive" : "");
            EXPECT_EQ(pixels, nullptr);
        }
    }
}

// Random damage either decodes or fails cleanly (the sanitizer build checks
// that nothing leaks on the failure path).
TEST(JpegDecoder, SurvivesRandomDamage) {
    const Bytes file = imagetest::encodeJpeg(48, 32, 3, imagetest::twoBands(48, 32, red, blue));
    std::mt19937 random(99);
    for (int round = 0; round < 400; ++round) {
        Bytes b = file;
        for (int e = 0; e < 3; ++e) b[random() % b.size()] = uint8_t(random());
        int w = 0, h = 0;
        unsigned char* pixels = nullptr;
        int ok = decodeJpegBytes(b.data(), b.size(), &w, &h, &pixels);
        EXPECT_EQ(ok != 0, pixels != nullptr);
        std::free(pixels);
    }
}

TEST(JpegDecoder, ReadsFilesThroughTheDataFolder) {
    ScratchDataFolder dir("image-test");
    Bytes file = imagetest::encodeJpeg(16, 8, 3, imagetest::twoBands(16, 8, red, blue));
    dir.write("pic.jpg", file);
    int w = 0, h = 0;
    unsigned char* fromFile = nullptr;
    unsigned char* fromMemory = nullptr;
    ASSERT_EQ(loadJpegImage("data\\pic.jpg", &w, &h, &fromFile), 1);
    ASSERT_EQ(decodeJpegBytes(file.data(), file.size(), &w, &h, &fromMemory), 1);
    EXPECT_EQ(std::memcmp(fromFile, fromMemory, 16 * 8 * 3), 0);
    std::free(fromFile);
    std::free(fromMemory);
}

TEST(JpegDecoder, MissingFileFailsWithZeroSize) {
    ScratchDataFolder dir("image-test");
    int w = -1, h = -1;
    unsigned char* pixels = reinterpret_cast<unsigned char*>(1);
    EXPECT_EQ(loadJpegImage("data\\nothere.jpg", &w, &h, &pixels), 0);
    EXPECT_EQ(pixels, nullptr);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    // Names that lead to folders, not files.
    for (const char* folder : {"", "data", "data\\"}) {
        EXPECT_EQ(loadJpegImage(folder, &w, &h, &pixels), 0) << folder;
        EXPECT_EQ(pixels, nullptr);
    }
}

}  // namespace
