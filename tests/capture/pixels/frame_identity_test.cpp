// Pictures must not change when the renderer gets faster: frames at fixed music
// times, two or more in every part, are compared byte for byte (as a hash of
// the decoded pixels) with the hashes in reference_hashes.txt.
//
// That file was written by the renderer before any speed work, and names the
// Mesa version that rasterized it: another version may round a few pixels
// differently, so there a difference is reported as that, and the test is
// skipped rather than failed. Regenerate the file only when a picture is meant
// to change (or on purpose for another Mesa), and say why in the commit:
//   FRAME_HASHES_WRITE=1 build/tests/test_frame_identity --gtest_filter=Capture.FramesAtFixedTimes*
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "frame_folder.h"
#include "support/gl_test_context.h"
#include "support/png_read.h"
#include "support/process.h"

namespace {
const std::string dataDir = DEMO_BUILD_DIR "/data";
const std::string referenceFile = DEMO_SOURCE_DIR "/tests/capture/pixels/reference_hashes.txt";
bool haveData() { return fileExists(dataDir + "/light.dat"); }

// Ten frames a second keeps the history short; every time is a whole frame.
const char* const rate = "10";
const char* const times[] = {"2",   "11.5", "20",  "45",  "60",  "75",  "85",  "100", "110",
                             "130", "140",  "165", "180", "195", "205", "215", "220", "226"};

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

const char* const madeWith = "# made with ";

// The hashes by music time, and the renderer that made them.
struct Reference {
    std::map<std::string, std::string> hashes;
    std::string mesa;  // "Mesa 22.3.6"; empty when the file does not say
};

Reference readReference() {
    Reference ref;
    std::ifstream in(referenceFile);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(madeWith, 0) == 0) ref.mesa = line.substr(std::strlen(madeWith));
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string t, h;
        if (fields >> t >> h) ref.hashes[t] = h;
    }
    return ref;
}

// "Mesa X.Y.Z" of the GL this machine renders with (the capture's too: the
// same driver and environment), or the whole version string of another GL.
std::string localMesa() {
    if (!testgl::ensureContext()) return "no GL";
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (!version) return "no GL";
    const char* mesa = std::strstr(version, "Mesa ");
    std::string s = mesa ? mesa : version;
    const size_t end = s.find(' ', mesa ? 5 : std::string::npos);
    return end == std::string::npos ? s : s.substr(0, end);
}

// Compares the frames of dir with the reference. Under the Mesa that made the
// reference a changed frame is a failure; under another Mesa the changes are
// reported and the test skipped.
void compareWithReference(const Reference& ref, const std::map<std::string, std::string>& got) {
    const std::string mesa = localMesa();
    std::vector<std::string> changed;
    for (const auto& [t, h] : got) {
        const auto it = ref.hashes.find(t);
        ASSERT_NE(it, ref.hashes.end()) << "no reference hash for " << t;
        if (h != it->second) changed.push_back(t);
    }
    if (changed.empty()) return;
    if (!ref.mesa.empty() && ref.mesa != mesa) {
        std::string list;
        for (const std::string& t : changed) list += (list.empty() ? "" : ", ") + t;
        GTEST_SKIP() << "the reference frames were made with " << ref.mesa << ", this machine has "
                     << mesa << ": the frames at " << list
                     << " s differ, which another rasterizer may explain (not a wrong picture "
                        "by itself; regenerate the reference under this Mesa to compare)";
    }
    for (const std::string& t : changed)
        ADD_FAILURE() << "the frame at " << t << " s has changed (" << mesa << ")";
}

ProcessResult capture(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"--data", dataDir, "--quiet"};
    all.insert(all.end(), args.begin(), args.end());
    return runProcess(DEMO_CAPTURE_EXE, all, {"DISPLAY="}, 900);
}

std::string allTimes() {
    std::string list;
    for (const char* t : times) list += std::string(list.empty() ? "" : ",") + t;
    return list;
}

// The hash of each captured frame, by music time.
std::map<std::string, std::string> frameHashes(const std::string& dir) {
    std::map<std::string, std::string> hashes;
    for (const char* t : times) {
        std::vector<unsigned char> rgb;
        EXPECT_TRUE(readPngRgb(dir + "/at-" + t + ".png", &rgb)) << t;
        EXPECT_EQ(rgb.size(), size_t(640 * 480 * 3)) << t;
        hashes[t] = hex(fnv1a(rgb));
    }
    return hashes;
}

void expectReferenceFrames(const std::string& dir) {
    const Reference ref = readReference();
    ASSERT_FALSE(ref.hashes.empty()) << "cannot read " << referenceFile;
    compareWithReference(ref, frameHashes(dir));
}
}  // namespace

TEST(Capture, FramesAtFixedTimesInEveryPartMatchTheReference) {
    if (!haveData()) GTEST_SKIP() << "no generated data";
    const std::string dir = makeTempDir("frame-identity");
    const ProcessResult r = capture({"--rate", rate, "--at", allTimes(), "-o", dir});
    ASSERT_EQ(r.exitCode, 0) << r.err;

    const std::map<std::string, std::string> hashes = frameHashes(dir);
    removeTree(dir);
    if (std::getenv("FRAME_HASHES_WRITE")) {
        std::ostringstream fresh;
        fresh << "# music time (s), FNV-1a 64 of the RGB pixels of demo-capture --rate " << rate
              << " --at TIME\n"
              << madeWith << localMesa() << "\n";
        for (const char* t : times) fresh << t << " " << hashes.at(t) << "\n";
        std::ofstream(referenceFile) << fresh.str();
        std::printf("wrote %s\n", referenceFile.c_str());
        return;
    }
    const Reference ref = readReference();
    ASSERT_FALSE(ref.hashes.empty()) << "cannot read " << referenceFile;
    compareWithReference(ref, hashes);
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
        const std::string name = "/" + frameFileName(f);
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
