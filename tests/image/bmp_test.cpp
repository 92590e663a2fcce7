#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "image/bmp.h"
#include "image_test_util.h"
#include "support/error_capture.h"

namespace {

using imagetest::Bytes;

struct Rgb {
    unsigned char r, g, b;
};

// Writes bitmaps the way the usual tools do, so that each variant can be
// described in a few lines (by designated initializers, in this order).
struct BmpRecipe {
    bool fileHeader = true;
    uint32_t headerSize = 40;
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bits = 24;
    uint32_t compression = 0;
    uint32_t coloursUsed = 0;
    std::vector<Rgb> palette{};
    std::vector<uint32_t> masks{};
    Bytes pixels{};  // exactly as stored, rows padded by the caller
};

// A full 256-colour palette of `fill` but for the listed entries.
struct PaletteEntry {
    int index;
    Rgb colour;
};
std::vector<Rgb> palette256(Rgb fill, std::initializer_list<PaletteEntry> entries) {
    std::vector<Rgb> palette(256, fill);
    for (const PaletteEntry& e : entries) palette[size_t(e.index)] = e.colour;
    return palette;
}

void put16(Bytes& b, unsigned v) {
    b.push_back(v & 255);
    b.push_back((v >> 8) & 255);
}
void put32(Bytes& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

Bytes build(const BmpRecipe& s) {
    Bytes header;
    put32(header, s.headerSize);
    if (s.headerSize == 12) {
        put16(header, uint16_t(s.width));
        put16(header, uint16_t(s.height));
        put16(header, 1);
        put16(header, s.bits);
    } else {
        put32(header, uint32_t(s.width));
        put32(header, uint32_t(s.height));
        put16(header, 1);
        put16(header, s.bits);
        put32(header, s.compression);
        put32(header, 0);
        put32(header, 2835);
        put32(header, 2835);
        put32(header, s.coloursUsed);
        put32(header, 0);
        header.resize(s.headerSize, 0);
    }
    // The later headers keep the masks in their own bytes 40 to 51.
    if (s.headerSize >= 108) {
        for (size_t i = 0; i < s.masks.size(); ++i)
            for (int k = 0; k < 4; ++k) header[40 + 4 * i + k] = uint8_t(s.masks[i] >> (8 * k));
    } else {
        for (uint32_t m : s.masks) put32(header, m);
    }
    for (const Rgb& c : s.palette) {
        header.push_back(c.b);
        header.push_back(c.g);
        header.push_back(c.r);
        if (s.headerSize != 12) header.push_back(0);
    }
    Bytes file;
    if (s.fileHeader) {
        const uint32_t offset = 14 + uint32_t(header.size());
        file.push_back('B');
        file.push_back('M');
        put32(file, offset + uint32_t(s.pixels.size()));
        put32(file, 0);
        put32(file, offset);
    }
    file.insert(file.end(), header.begin(), header.end());
    file.insert(file.end(), s.pixels.begin(), s.pixels.end());
    return file;
}

// Decodes from memory; the image is released by the caller through the
// returned holder.
struct Decoded {
    Image* image = nullptr;
    ~Decoded() { releaseImage(image); }
    Rgb at(int x, int row) const {
        const unsigned char* p = image->pixels + (size_t(row) * image->width + x) * 3;
        return Rgb{p[0], p[1], p[2]};
    }
};

void decode(const Bytes& file, Decoded& d) {
    Image* out = reinterpret_cast<Image*>(1);
    d.image = decodeBmpBytes(file.data(), file.size(), "test.bmp", &out);
    EXPECT_EQ(out, d.image);
}

#define EXPECT_RGB(px, R, G, B)  \
    do {                         \
        Rgb p_ = (px);           \
        EXPECT_EQ(p_.r, R);      \
        EXPECT_EQ(p_.g, G);      \
        EXPECT_EQ(p_.b, B);      \
    } while (0)

// A pixel of a decoded picture, at column x of the stored row `row`.
struct PixelAt {
    int x, row;
    int r, g, b;
};

// Decodes the recipe's file and checks the listed pixels.
void expectPixels(const BmpRecipe& s, std::initializer_list<PixelAt> pixels) {
    Decoded d;
    decode(build(s), d);
    ASSERT_NE(d.image, nullptr) << s.bits << " bits";
    for (const PixelAt& p : pixels) {
        SCOPED_TRACE(testing::Message() << s.bits << " bits, pixel " << p.x << ", " << p.row);
        EXPECT_RGB(d.at(p.x, p.row), p.r, p.g, p.b);
    }
}

// 24 bits, width 5: each stored row carries one byte of padding.
BmpRecipe width5() {
    BmpRecipe s;
    s.width = 5;
    s.height = 2;
    for (int row = 0; row < 2; ++row) {
        for (int x = 0; x < 5; ++x) {
            s.pixels.push_back(uint8_t(10 * x + 1));    // blue
            s.pixels.push_back(uint8_t(100 + row));     // green
            s.pixels.push_back(uint8_t(200 + x + row)); // red
        }
        s.pixels.push_back(0xEE);
    }
    return s;
}

TEST(BmpReader, Width5At24BitsHasNoSkewBetweenRows) {
    Decoded d;
    decode(build(width5()), d);
    ASSERT_NE(d.image, nullptr);
    EXPECT_EQ(d.image->width, 5);
    EXPECT_EQ(d.image->height, 2);
    for (int row = 0; row < 2; ++row)
        for (int x = 0; x < 5; ++x) EXPECT_RGB(d.at(x, row), 200 + x + row, 100 + row, 10 * x + 1);
}

TEST(BmpReader, BareHeaderLoadsLikeTheFullFile) {
    for (uint32_t headerSize : {40u, 12u}) {
        BmpRecipe s{.headerSize = headerSize, .width = 3, .height = 2, .bits = 8,
                    .palette = palette256({0, 0, 0}, {{1, {255, 0, 0}}, {2, {0, 255, 0}},
                                                      {255, {1, 2, 3}}}),
                    .pixels = {1, 2, 255, 0, 255, 2, 1, 0}};
        Decoded full, bare;
        decode(build(s), full);
        s.fileHeader = false;
        decode(build(s), bare);
        ASSERT_NE(full.image, nullptr);
        ASSERT_NE(bare.image, nullptr);
        EXPECT_EQ(0, std::memcmp(full.image->pixels, bare.image->pixels, 3 * 2 * 3));
        EXPECT_RGB(full.at(0, 0), 255, 0, 0);
        EXPECT_RGB(full.at(1, 0), 0, 255, 0);
        EXPECT_RGB(full.at(2, 0), 1, 2, 3);
        EXPECT_RGB(full.at(0, 1), 1, 2, 3);
        EXPECT_RGB(full.at(2, 1), 255, 0, 0);
    }
}

TEST(BmpReader, CoreHeaderWithPaletteGivesTheRightColours) {
    const BmpRecipe s{.headerSize = 12, .width = 2, .height = 1, .bits = 8,
                      .palette = palette256({9, 9, 9}, {{7, {10, 20, 30}}, {200, {250, 128, 5}}}),
                      .pixels = {7, 200, 0, 0}};
    expectPixels(s, {{0, 0, 10, 20, 30}, {1, 0, 250, 128, 5}});
}

TEST(BmpReader, OneAndFourBitPalettes) {
    const BmpRecipe one{.width = 10, .bits = 1, .palette = {{0, 0, 0}, {255, 255, 255}},
                        .pixels = {0xA5, 0x80, 0, 0}};  // 1010 0101 10
    Decoded d1;
    decode(build(one), d1);
    ASSERT_NE(d1.image, nullptr);
    const int bits[10] = {1, 0, 1, 0, 0, 1, 0, 1, 1, 0};
    for (int x = 0; x < 10; ++x) EXPECT_EQ(d1.at(x, 0).g, bits[x] ? 255 : 0) << x;

    BmpRecipe four{.width = 3, .bits = 4, .pixels = {0x3C, 0x70, 0, 0}};
    for (int i = 0; i < 16; ++i) four.palette.push_back(Rgb{uint8_t(i * 16), 0, uint8_t(i)});
    expectPixels(four, {{0, 0, 48, 0, 3}, {1, 0, 192, 0, 12}, {2, 0, 112, 0, 7}});
}

TEST(BmpReader, IndexBeyondAShortPaletteIsBlack) {
    const BmpRecipe s{.width = 2, .bits = 8, .coloursUsed = 2,
                      .palette = {{1, 1, 1}, {50, 60, 70}}, .pixels = {1, 9, 0, 0}};
    expectPixels(s, {{0, 0, 50, 60, 70}, {1, 0, 0, 0, 0}});
}

TEST(BmpReader, PaletteLongerThanTheBitCountAllowsIsCut) {
    // 300 colours announced for 8 bits: only 256 can be used, but the pixels
    // of a bare header still follow all 300.
    BmpRecipe s{.fileHeader = false, .width = 2, .bits = 8, .coloursUsed = 300,
                .pixels = {255, 3, 0, 0}};
    for (int i = 0; i < 300; ++i) s.palette.push_back(Rgb{uint8_t(i), uint8_t(i >> 8), 7});
    expectPixels(s, {{0, 0, 255, 0, 7}, {1, 0, 3, 0, 7}});
}

TEST(BmpReader, SixteenAndThirtyTwoBits) {
    const BmpRecipe rgb555{.width = 2, .bits = 16,
                           .pixels = {0x00, 0x7C, 0x1F, 0x00}};  // pure red, pure blue
    expectPixels(rgb555, {{0, 0, 255, 0, 0}, {1, 0, 0, 0, 255}});

    BmpRecipe rgb565 = rgb555;
    rgb565.compression = 3;
    rgb565.masks = {0xF800, 0x07E0, 0x001F};
    rgb565.pixels = {0xE0, 0x07, 0x10, 0x84};  // pure green; (16, 32, 16) of (31, 63, 31)
    expectPixels(rgb565, {{0, 0, 0, 255, 0}, {1, 0, 132, 130, 132}});

    const BmpRecipe bits32{.width = 1, .bits = 32, .pixels = {30, 20, 10, 99}};
    expectPixels(bits32, {{0, 0, 10, 20, 30}});
}

std::vector<Rgb> greyRamp(int n) {
    std::vector<Rgb> p;
    for (int i = 0; i < n; ++i) p.push_back(Rgb{uint8_t(i * 10), uint8_t(i * 10), uint8_t(i * 10)});
    return p;
}

// Decodes a picture over greyRamp and checks the palette index of every pixel,
// row by stored row.
void expectGreyIndices(const BmpRecipe& s, const std::vector<std::vector<int>>& rows) {
    Decoded d;
    decode(build(s), d);
    ASSERT_NE(d.image, nullptr);
    for (size_t row = 0; row < rows.size(); ++row)
        for (size_t x = 0; x < rows[row].size(); ++x)
            EXPECT_EQ(d.at(int(x), int(row)).r, rows[row][x] * 10) << "row " << row << " x " << x;
}

TEST(BmpReader, RunLengthEightBits) {
    const BmpRecipe s{.width = 6, .height = 4, .bits = 8, .compression = 1, .coloursUsed = 16,
                      .palette = greyRamp(16), .pixels = {
        3, 5, 0, 3, 1, 2, 3, 0,  // row 0: run of three 5s, absolute 1 2 3 (padded)
        0, 0,                    // end of line
        9, 7, 0, 0,              // row 1: run of nine 7s, cut at the row's end
        0, 2, 2, 1,              // delta: two right, one row up (row 2 stays black)
        2, 4, 0, 0,              // row 3: 4 4 from column 2
        0, 1,                    // end of bitmap
    }};
    expectGreyIndices(
        s, {{5, 5, 5, 1, 2, 3}, {7, 7, 7, 7, 7, 7}, {0, 0, 0, 0, 0, 0}, {0, 0, 4, 4, 0, 0}});
}

TEST(BmpReader, RunLengthFourBits) {
    const BmpRecipe s{.width = 7, .height = 2, .bits = 4, .compression = 2,
                      .palette = greyRamp(16), .pixels = {
        5, 0x12, 0, 0,     // row 0: 1 2 1 2 1, end of line
        0, 3, 0x34, 0x50,  // row 1: absolute 3 4 5 (two bytes, already even)
        4, 0x9A,           // run 9 A 9 A
        0, 2, 100, 100,    // a delta far outside the picture
        3, 0xFF,           // ignored
        0, 1,
    }};
    expectGreyIndices(s, {{1, 2, 1, 2, 1, 0, 0}, {3, 4, 5, 9, 10, 9, 10}});
}

TEST(BmpReader, TopDownRowsComeInStoredOrder) {
    BmpRecipe s = width5();
    s.height = -2;
    Decoded d;
    decode(build(s), d);
    ASSERT_NE(d.image, nullptr);
    EXPECT_EQ(d.image->height, -2);
    EXPECT_RGB(d.at(0, 0), 200, 100, 1);
    EXPECT_RGB(d.at(4, 1), 205, 101, 41);
}

struct Rejected {
    const char* what;
    BmpRecipe recipe;
    const char* message;
};

TEST(BmpReader, RejectsBadFilesWithTheirMessage) {
    std::vector<Rejected> cases;
    for (uint32_t size : {64u, 16u, 52u, 0u}) {
        Rejected r{"header size", width5(), "Unknown DIB file format."};
        r.recipe.headerSize = size;
        cases.push_back(r);
    }
    auto bad = [&](const char* what, void (*edit)(BmpRecipe&)) {
        Rejected r{what, width5(), "Image file conversion error."};
        edit(r.recipe);
        cases.push_back(r);
    };
    bad("width 0", [](BmpRecipe& s) { s.width = 0; });
    bad("height 0", [](BmpRecipe& s) { s.height = 0; });
    bad("negative width", [](BmpRecipe& s) { s.width = -5; });
    bad("buffer size overflows", [](BmpRecipe& s) { s.width = 0x40000000; s.height = 0x40000000; });
    bad("buffer size overflows int", [](BmpRecipe& s) { s.width = 40000; s.height = -40000; });
    bad("height INT_MIN", [](BmpRecipe& s) { s.height = INT32_MIN; });
    bad("pixels cut short", [](BmpRecipe& s) { s.pixels.resize(20); });
    bad("bit count 7", [](BmpRecipe& s) { s.bits = 7; });
    bad("RLE8 at 4 bits", [](BmpRecipe& s) { s.bits = 4; s.compression = 1; });
    bad("JPEG compression", [](BmpRecipe& s) { s.compression = 4; });

    for (const Rejected& c : cases) {
        ErrorCapture errors;
        Decoded d;
        decode(build(c.recipe), d);
        EXPECT_EQ(d.image, nullptr) << c.what;
        ASSERT_EQ(errors.texts.size(), 1u) << c.what;
        EXPECT_EQ(errors.texts[0], c.message) << c.what;
    }
}

// What today's editors write: the same pixels behind a version 4 or 5 header,
// with and without the file header, palette and bit-field pictures alike.
TEST(BmpReader, VersionFourAndFiveHeadersReadLikeTheCommonOne) {
    const BmpRecipe palette{.width = 3, .height = 2, .bits = 8, .coloursUsed = 3,
                            .palette = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}},
                            .pixels = {0, 1, 2, 0, 2, 1, 0, 0}};
    const BmpRecipe fields{.width = 2, .height = 1, .bits = 16, .compression = 3,
                           .masks = {0xF800, 0x07E0, 0x001F},
                           .pixels = {0x00, 0xF8, 0x1F, 0x00}};  // pure red, pure blue
    for (BmpRecipe base : {width5(), palette, fields}) {
        for (bool fileHeader : {true, false}) {
            base.fileHeader = fileHeader;
            Decoded expected;
            decode(build(base), expected);
            ASSERT_NE(expected.image, nullptr);
            for (uint32_t size : {108u, 124u}) {
                BmpRecipe later = base;
                later.headerSize = size;
                ErrorCapture errors;
                Decoded d;
                decode(build(later), d);
                ASSERT_NE(d.image, nullptr) << size << " bits " << base.bits;
                EXPECT_TRUE(errors.texts.empty()) << size;
                ASSERT_EQ(d.image->width, expected.image->width);
                ASSERT_EQ(d.image->height, expected.image->height);
                const size_t bytes = size_t(d.image->width) * size_t(d.image->height) * 3;
                EXPECT_EQ(std::memcmp(d.image->pixels, expected.image->pixels, bytes), 0)
                    << size << " bits " << base.bits << " file header " << fileHeader;
            }
        }
    }
    expectPixels(fields, {{0, 0, 255, 0, 0}, {1, 0, 0, 0, 255}});
}

TEST(BmpReader, TruncatedHeadersAreRejected) {
    const Bytes full = build(width5());
    for (size_t n : {size_t(0), size_t(1), size_t(2), size_t(13), size_t(17), size_t(40),
                     size_t(53)}) {
        ErrorCapture errors;
        Bytes cut(full.begin(), full.begin() + n);
        Decoded d;
        decode(cut, d);
        EXPECT_EQ(d.image, nullptr) << n;
        EXPECT_EQ(errors.texts.size(), 1u) << n;
    }
}

// Whatever the bytes, the reader stays inside them (run under the sanitizer
// build to see a stray read).
TEST(BmpReader, SurvivesDamagedFiles) {
    std::vector<Bytes> seeds = {build(width5())};
    const BmpRecipe rle{.width = 6, .height = 4, .bits = 8, .compression = 1,
                        .palette = greyRamp(256),
                        .pixels = {3, 5, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 2, 1, 2, 4, 0, 1}};
    seeds.push_back(build(rle));
    std::mt19937 random(1234);
    ErrorCapture errors;
    for (const Bytes& seed : seeds) {
        for (int round = 0; round < 3000; ++round) {
            Bytes b = seed;
            int edits = 1 + int(random() % 4);
            for (int e = 0; e < edits; ++e) b[random() % b.size()] = uint8_t(random());
            if (random() % 4 == 0) b.resize(random() % b.size());
            Image* image = decodeBmpBytes(b.data(), b.size(), "fuzz.bmp", nullptr);
            releaseImage(image);
        }
    }
}

TEST(BmpReader, LoadsFromTheDataFolder) {
    ScratchDataFolder dir("image-test");
    dir.write("surface.bmp", build(width5()));
    Image* out = nullptr;
    Image* image = loadBmpImage("data\\surface.bmp", &out);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(out, image);
    EXPECT_EQ(image->width, 5);
    EXPECT_EQ(image->pixels[0], 200);
    releaseImage(image);
}

TEST(BmpReader, MissingOrEmptyFileNamesThePath) {
    ScratchDataFolder dir("image-test");
    dir.write("empty.bmp", Bytes{});
    for (const char* name : {"data\\nothere.bmp", "data\\empty.bmp"}) {
        ErrorCapture errors;
        Image* out = reinterpret_cast<Image*>(1);
        EXPECT_EQ(loadBmpImage(name, &out), nullptr);
        EXPECT_EQ(out, nullptr);
        ASSERT_EQ(errors.texts.size(), 1u);
        EXPECT_EQ(errors.texts[0], std::string("Failed to open DIB file ") + name + ".\n");
    }
}

}  // namespace
