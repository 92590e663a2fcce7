// Pictures must not change when the renderer gets faster: frames at fixed music
// times, two or more in every part, are compared byte for byte (as a hash of
// the decoded pixels) with the hashes in reference_hashes.txt.
//
// That file was written by the renderer before any speed work. Regenerate it
// only when a picture is meant to change, and say why in the commit:
//   FRAME_HASHES_WRITE=1 build/tests/test_frame_identity --gtest_filter=Capture.FramesAtFixedTimes*
#include <gtest/gtest.h>
#include <png.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/process.h"

namespace {
const std::string dataDir = DEMO_BUILD_DIR "/data";
const std::string referenceFile = DEMO_SOURCE_DIR "/tests/capture/pixels/reference_hashes.txt";
bool haveData() { return fileExists(dataDir + "/light.dat"); }

// Ten frames a second keeps the history short; every time is a whole frame.
const char* const rate = "10";
const char* const times[] = {"2",   "11.5", "20",  "45",  "60",  "75",  "85",  "100", "110",
                             "130", "140",  "165", "180", "195", "205", "215", "220", "226"};

bool readPngRgb(const std::string& path, std::vector<unsigned char>* rgb) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    rgb->resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, rgb->data(), 0, nullptr) != 0;
}

uint64_t fnv1a(const std::vector<unsigned char>& bytes) {
    uint64_t h = 1469598103934665603ULL;
    for (unsigned char b : bytes) {
        h ^= b;
        h *= 1099511628211ULL;
    }
    return h;
}

std::string hex(uint64_t h) {
    char s[20];
    std::snprintf(s, sizeof s, "%016" PRIx64, h);
    return s;
}

std::map<std::string, std::string> readReference() {
    std::map<std::string, std::string> ref;
    std::ifstream in(referenceFile);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string t, h;
        if (fields >> t >> h) ref[t] = h;
    }
    return ref;
}

ProcessResult capture(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"--data", dataDir, "--quiet"};
    all.insert(all.end(), args.begin(), args.end());
    return runProcess(DEMO_CAPTURE_EXE, all, {"DISPLAY="}, 900);
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string allTimes() {
    std::string list;
    for (const char* t : times) list += std::string(list.empty() ? "" : ",") + t;
    return list;
}

void expectReferenceFrames(const std::string& dir) {
    const std::map<std::string, std::string> ref = readReference();
    ASSERT_FALSE(ref.empty()) << "cannot read " << referenceFile;
    for (const char* t : times) {
        std::vector<unsigned char> rgb;
        ASSERT_TRUE(readPngRgb(dir + "/at-" + t + ".png", &rgb)) << t;
        const auto it = ref.find(t);
        ASSERT_NE(it, ref.end()) << "no reference hash for " << t;
        EXPECT_EQ(hex(fnv1a(rgb)), it->second) << "the frame at " << t << " s has changed";
    }
}
}  // namespace

TEST(Capture, FramesAtFixedTimesInEveryPartMatchTheReference) {
    if (!haveData()) GTEST_SKIP() << "no generated data";
    const std::string dir = makeTempDir("frame-identity");
    const ProcessResult r = capture({"--rate", rate, "--at", allTimes(), "-o", dir});
    ASSERT_EQ(r.exitCode, 0) << r.err;

    const bool write = std::getenv("FRAME_HASHES_WRITE") != nullptr;
    const std::map<std::string, std::string> ref = readReference();
    if (!write) {
        ASSERT_FALSE(ref.empty()) << "cannot read " << referenceFile;
    }
    std::ostringstream fresh;
    fresh << "# music time (s), FNV-1a 64 of the RGB pixels of demo-capture --rate " << rate
          << " --at TIME\n";
    for (const char* t : times) {
        std::vector<unsigned char> rgb;
        ASSERT_TRUE(readPngRgb(dir + "/at-" + t + ".png", &rgb)) << t;
        ASSERT_EQ(rgb.size(), size_t(640 * 480 * 3)) << t;
        const std::string h = hex(fnv1a(rgb));
        fresh << t << " " << h << "\n";
        if (!write) {
            const auto it = ref.find(t);
            ASSERT_NE(it, ref.end()) << "no reference hash for " << t;
            EXPECT_EQ(h, it->second) << "the frame at " << t << " s has changed";
        }
    }
    if (write) {
        std::ofstream(referenceFile) << fresh.str();
        std::printf("wrote %s\n", referenceFile.c_str());
    }
    removeTree(dir);
}

// The demo draws frames of every part into a 1x1 viewport while loading, then
// loads afresh; nothing of it may show in the frames that follow.
TEST(Capture, WarmUpDuringLoadingChangesNoFrame) {
    if (!haveData()) GTEST_SKIP() << "no generated data";
    const std::string dir = makeTempDir("frame-identity-warm");
    const ProcessResult r = capture({"--rate", rate, "--warm-up", "--at", allTimes(), "-o", dir});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    expectReferenceFrames(dir);
    // The very first frame too (the title fades in from black).
    const std::string a = makeTempDir("first-plain"), b = makeTempDir("first-warm");
    ASSERT_EQ(capture({"--rate", "60", "--frames", "0-3", "-o", a}).exitCode, 0);
    ASSERT_EQ(capture({"--rate", "60", "--frames", "0-3", "--warm-up", "-o", b}).exitCode, 0);
    for (const char* f : {"/frame-000000.png", "/frame-000001.png", "/frame-000002.png"})
        EXPECT_EQ(slurp(a + f), slurp(b + f)) << f;
    removeTree(dir);
    removeTree(a);
    removeTree(b);
}

// Frames before a range are played but not rasterized: the range must still
// equal the same frames of a capture from the start, also across a part change.
TEST(Capture, RangeEqualsTheSameFramesOfAFullCapture) {
    if (!haveData()) GTEST_SKIP() << "no generated data";
    const std::string full = makeTempDir("range-full"), part = makeTempDir("range-part");
    const std::string timed = makeTempDir("range-time");
    // Frame 131 is 13.1 s (part 0), 133 is 13.3 s (part 1).
    ProcessResult r = capture({"--rate", "10", "--frames", "0-136", "-o", full});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = capture({"--rate", "10", "--frames", "130-136", "-o", part});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = capture({"--rate", "10", "--time", "13.3-13.5", "-o", timed});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (int f = 130; f < 136; ++f) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%06d.png", f);
        const std::string reference = slurp(full + name);
        ASSERT_FALSE(reference.empty()) << name;
        EXPECT_EQ(slurp(part + name), reference) << name;
        if (f >= 133 && f < 135) {
            EXPECT_EQ(slurp(timed + name), reference) << name;
        }
    }
    EXPECT_FALSE(fileExists(part + "/frame-000129.png"));
    EXPECT_FALSE(fileExists(timed + "/frame-000135.png"));
    removeTree(full);
    removeTree(part);
    removeTree(timed);
}
