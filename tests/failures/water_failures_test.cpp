// The two water bitmaps are optional: without a usable one the water parts
// keep the JPEG pictures of their slots. The reader's message is printed and
// the demo plays on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "failure_support.h"

using namespace failtest;

namespace {

// Part 6 (the fish under water, slot 63) and part 7 (the mirror, slot 81).
const std::vector<std::string> waterFrames = {"--rate", "1/5", "--at", "175,205"};

// The same bitmap behind a version 5 header (124 bytes, the rest zero).
std::string withV5Header(std::string bmp) {
    bmp.insert(54, std::string(124 - 40, '\0'));
    auto put = [&](size_t at, uint32_t v) {
        for (int k = 0; k < 4; ++k) bmp[at + k] = char((v >> (8 * k)) & 255);
    };
    put(2, uint32_t(bmp.size()));
    put(10, 14 + 124);
    put(14, 124);
    return bmp;
}

std::string dibMissing(const std::string& file) {
    return "Failed to open DIB file data\\" + file + ".\n";
}

}  // namespace

using DemoWaterBitmaps = GeneratedDataTest;

TEST_F(DemoWaterBitmaps, MissingOrDamagedBitmapsLeaveTheJpegPictures) {
    const std::string water = generatedBytes("water.bmp");
    ASSERT_GT(water.size(), 1000u);
    struct Case {
        const char* what;
        std::vector<std::string> leaveOut;
        const char* replaced;  // file replaced by `bytes`, or null
        std::string bytes;
        std::vector<std::pair<std::string, int>> messages;  // text, times
    };
    const Case cases[] = {
        {"surface.bmp missing", {"surface.bmp"}, nullptr, "", {{dibMissing("surface.bmp"), 2}}},
        {"water.bmp missing", {"water.bmp"}, nullptr, "", {{dibMissing("water.bmp"), 1}}},
        {"water.bmp not a bitmap", {}, "water.bmp", "this is not a bitmap, just some text",
         {{"data\\water.bmp: not a bitmap (no \"BM\" at its start, and no bitmap header of a "
           "known size)\nError: Unknown DIB file format.\n", 1}}},
        {"water.bmp a renamed PNG", {}, "water.bmp", std::string("\x89PNG\r\n\x1a\n", 8) + "rest",
         {{"data\\water.bmp: a PNG picture, not a bitmap\nError: Unknown DIB file format.\n", 1}}},
        {"water.bmp just \"BM\"", {}, "water.bmp", "BM",
         {{"data\\water.bmp: the file ends after 2 bytes, before its bitmap header\nError: "
           "Unknown DIB file format.\n", 1}}},
        {"water.bmp OS/2 2.x", {}, "water.bmp", [] {
             std::string b = makeBmp(8, 8);
             b[14] = 64;
             return b;
         }(),
         {{"data\\water.bmp: an OS/2 2.x bitmap (header of 64 bytes), which is not read\n", 1},
          {"Error: Unknown DIB file format.\n", 1}}},
        {"surface.bmp with a version 5 header", {}, "surface.bmp", withV5Header(makeBmp(128, 128)),
         {}},
        {"water.bmp cut to half", {}, "water.bmp", water.substr(0, water.size() / 2),
         {{"Error: ", 1}}},
        // Readable bitmaps that do not fit the 128 x 128 tables.
        {"surface.bmp 64 x 64", {}, "surface.bmp", makeBmp(64, 64), {}},
        {"water.bmp 200 x 7", {}, "water.bmp", makeBmp(200, 7), {}},
        {"surface.bmp stored top-down", {}, "surface.bmp", makeBmp(128, -128), {}},
    };
    for (const Case& c : cases) {
        const std::string dir = installCopy("water", c.leaveOut);
        if (c.replaced) {
            ASSERT_TRUE(replaceDataFile(dir, c.replaced, c.bytes));
        }
        const ProcessResult r = runCapture(dir, waterFrames);
        EXPECT_FALSE(r.timedOut) << c.what;
        EXPECT_EQ(r.signal, 0) << c.what << "\n" << r.err;
        EXPECT_EQ(r.exitCode, 0) << c.what << "\n" << r.err;
        for (const auto& [text, times] : c.messages) {
            EXPECT_EQ(countOf(r.err, text), times) << c.what << ": " << text << "\n" << r.err;
        }
        if (c.messages.empty()) {
            EXPECT_EQ(countOf(r.err, "Error: "), 0) << c.what << "\n" << r.err;
        }
        // Both water parts drew a full picture, not a cleared screen.
        for (const char* t : {"175", "205"}) {
            int w = 0, h = 0;
            std::vector<unsigned char> rgb;
            ASSERT_TRUE(readPng(dir + "/frames/at-" + std::string(t) + ".png", &w, &h, &rgb))
                << c.what << " at " << t;
            EXPECT_GE(distinctColours(rgb, 200), 200) << c.what << " at " << t;
        }
        removeTree(dir);
    }
}
