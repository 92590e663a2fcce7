// Files that trip up the stb_image of the system: the browser's decoder must
// refuse them, not write past its tables (the sanitizer build runs these).
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "image/jpeg.h"
#include "image_test_util.h"

namespace {

using imagetest::Bytes;

const unsigned char red[3] = {255, 0, 0};
const unsigned char blue[3] = {0, 0, 255};

size_t findMarker(const Bytes& file, unsigned char marker) {
    for (size_t i = 2; i + 1 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == marker) return i;
    return 0;
}

// The first Huffman table replaced by one whose 16 counts add up to `symbols`.
Bytes withHuffmanTable(const Bytes& file, int symbols) {
    const size_t at = findMarker(file, 0xC4);
    const size_t oldLength = size_t(file[at + 2] << 8 | file[at + 3]);
    Bytes table = {0xFF, 0xC4, 0, 0, file[at + 4]};
    int left = symbols;
    for (int i = 0; i < 16; ++i) {
        const int n = i < 14 ? 0 : (i == 14 ? left / 2 : left - left / 2);
        table.push_back(uint8_t(n));
    }
    for (int i = 0; i < symbols; ++i) table.push_back(uint8_t(i));
    const size_t length = table.size() - 2;
    table[2] = uint8_t(length >> 8);
    table[3] = uint8_t(length & 0xFF);
    Bytes out(file.begin(), file.begin() + long(at));
    out.insert(out.end(), table.begin(), table.end());
    out.insert(out.end(), file.begin() + long(at + 2 + oldLength), file.end());
    return out;
}

TEST(JpegStbHostile, HuffmanTablesOfMoreThan256SymbolsAreRefused) {
    for (bool progressive : {false, true}) {
        const Bytes file =
            imagetest::encodeJpeg(32, 32, 3, imagetest::twoBands(32, 32, red, blue), progressive);
        ASSERT_NE(findMarker(file, 0xC4), 0u);
        for (int symbols : {257, 300, 510}) {
            const Bytes bad = withHuffmanTable(file, symbols);
            int w = 0, h = 0;
            unsigned char* pixels = reinterpret_cast<unsigned char*>(1);
            EXPECT_EQ(decodeJpegBytes(bad.data(), bad.size(), &w, &h, &pixels), 0) << symbols;
            EXPECT_EQ(pixels, nullptr);
        }
    }
}

TEST(JpegStbHostile, SegmentsRunningPastTheEndAreRefused) {
    const Bytes file = imagetest::encodeJpeg(16, 16, 3, imagetest::twoBands(16, 16, red, blue));
    Bytes bad = file;
    const size_t at = findMarker(bad, 0xC4);
    bad[at + 2] = 0xFF;  // a length far beyond the file
    bad[at + 3] = 0xF0;
    unsigned char* pixels = nullptr;
    int w = 0, h = 0;
    EXPECT_EQ(decodeJpegBytes(bad.data(), bad.size(), &w, &h, &pixels), 0);
    EXPECT_EQ(pixels, nullptr);
}

// Many more random damages than the shared decoder test, progressive too.
TEST(JpegStbHostile, RandomDamageDecodesOrFailsCleanly) {
    std::mt19937 random(7);
    for (bool progressive : {false, true}) {
        const Bytes file =
            imagetest::encodeJpeg(40, 24, 3, imagetest::twoBands(40, 24, red, blue), progressive);
        for (int round = 0; round < 1500; ++round) {
            Bytes b = file;
            for (int e = 0; e < 1 + round % 6; ++e) b[random() % b.size()] = uint8_t(random());
            int w = 0, h = 0;
            unsigned char* pixels = nullptr;
            const int ok = decodeJpegBytes(b.data(), b.size(), &w, &h, &pixels);
            EXPECT_EQ(ok != 0, pixels != nullptr);
            std::free(pixels);
        }
    }
}

}  // namespace
