#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "frame_folder.h"
#include "support/png_read.h"
#include "support/process.h"

namespace {
const std::string dataDir = DEMO_BUILD_DIR "/data";
bool haveData() { return fileExists(dataDir + "/light.dat"); }

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    const unsigned char* at(int x, int y) const { return &rgb[(size_t(y) * width + x) * 3]; }
};

bool readPng(const std::string& path, Picture* pic) {
    return readPngRgb(path, &pic->rgb, &pic->width, &pic->height);
}

ProcessResult capture(const std::vector<std::string>& args, int timeout = 300) {
    std::vector<std::string> all = {"--data", dataDir, "--quiet"};
    all.insert(all.end(), args.begin(), args.end());
    return runProcess(DEMO_CAPTURE_EXE, all, {"DISPLAY="}, timeout);
}
}  // namespace

TEST(Capture, ShortPngCaptureIsExactAndRepeatable) {
    if (!haveData()) GTEST_SKIP() << "no generated data";
    const std::string a = makeTempDir("cap-a"), b = makeTempDir("cap-b");
    ProcessResult r = capture({"--rate", "10", "--frames", "0-4", "-o", a});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = capture({"--rate", "10", "--frames", "0-4", "-o", b});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (int i = 0; i < 4; ++i) {
        const std::string name = "/" + frameFileName(i);
        Picture pic;
        ASSERT_TRUE(readPng(a + name, &pic)) << name;
        EXPECT_EQ(pic.width, 640);
        EXPECT_EQ(pic.height, 480);
        EXPECT_EQ(slurp(a + name), slurp(b + name)) << "frame " << i << " differs between runs";
    }
    EXPECT_FALSE(fileExists(a + "/frame-000004.png"));
    // The first frame of the title is still black: it fades in from 0.
    Picture first;
    ASSERT_TRUE(readPng(a + "/frame-000000.png", &first));
    long sum = 0;
    for (unsigned char c : first.rgb) sum += c;
    EXPECT_EQ(sum, 0);
    removeTree(a);
    removeTree(b);
}

TEST(Capture, UnderwaterBackgroundAndLargerSize) {
    if (!haveData()) GTEST_SKIP() << "no generated data";
    const std::string dir = makeTempDir("cap-at");
    // 175 s is in the underwater part; 4 frames per second keeps the history short.
    const ProcessResult r = capture({"--rate", "4", "--size", "800x600", "--at", "175", "-o", dir}, 600);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    Picture pic;
    ASSERT_TRUE(readPng(dir + "/at-175.png", &pic));
    EXPECT_EQ(pic.width, 800);
    EXPECT_EQ(pic.height, 600);
    // Somewhere the dark blue clear colour (0.1, 0.1, 0.2) shows untouched.
    int found = 0;
    for (int y = 0; y < pic.height; y += 4)
        for (int x = 0; x < pic.width; x += 4) {
            const unsigned char* p = pic.at(x, y);
            if (std::abs(p[0] - 26) <= 1 && std::abs(p[1] - 26) <= 1 && std::abs(p[2] - 51) <= 1) ++found;
        }
    EXPECT_GT(found, 0);
    removeTree(dir);
}

TEST(Capture, Mp4HasVideoAndSoundOfTheRightLength) {
    if (!haveData()) GTEST_SKIP() << "no generated data";
    if (!fileExists("/usr/bin/ffmpeg") || !fileExists("/usr/bin/ffprobe")) GTEST_SKIP() << "no ffmpeg";
    const std::string dir = makeTempDir("cap-mp4");
    const std::string out = dir + "/clip.mp4";
    ProcessResult r = capture({"--rate", "10", "--time", "0-2", "-o", out});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = runProcess("/usr/bin/ffprobe",
                   {"-v", "error", "-show_entries", "stream=codec_type,codec_name:format=duration",
                    "-of", "default=nw=1", out},
                   {}, waitLimitSeconds());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("codec_name=h264"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("codec_type=audio"), std::string::npos) << r.out;
    const size_t d = r.out.find("duration=");
    ASSERT_NE(d, std::string::npos);
    EXPECT_NEAR(std::stod(r.out.substr(d + 9)), 2.0, 0.1);
    removeTree(dir);
}

TEST(Capture, RefusesWhatItCannotDo) {
    ProcessResult r = runProcess(DEMO_CAPTURE_EXE, {"--no-such-option"}, {}, waitLimitSeconds());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("demo-capture: the command line got '--no-such-option'"), std::string::npos)
        << r.err;
    r = runProcess(DEMO_CAPTURE_EXE, {"--size", "641x480"}, {}, waitLimitSeconds());
    EXPECT_EQ(r.exitCode, 2);
    r = runProcess(DEMO_CAPTURE_EXE, {"-o", "/proc/no-such-place/x.mp4"}, {}, waitLimitSeconds());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("cannot write"), std::string::npos) << r.err;
    r = runProcess(DEMO_CAPTURE_EXE, {"-o", "/clip.mp4"}, {"PATH=/nonexistent"},
                   waitLimitSeconds());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("ffmpeg"), std::string::npos) << r.err;
}

TEST(Bench, PrintsARowPerPart) {
    if (!haveData()) GTEST_SKIP() << "no generated data";
    const ProcessResult r =
        runProcess(DEMO_BENCH_EXE, {"--data", dataDir, "--parts", "7-8", "--rate", "5"}, {}, 300);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("median ms"), std::string::npos) << r.out;
    std::istringstream lines(r.out);
    std::string line;
    int rows = 0;
    while (std::getline(lines, line)) {
        int part = -1;
        long frames = 0;
        if (std::sscanf(line.c_str(), "%d %ld", &part, &frames) == 2 && (part == 7 || part == 8)) {
            ++rows;
            EXPECT_GT(frames, 0) << line;
        }
    }
    EXPECT_EQ(rows, 2) << r.out;
    const ProcessResult j =
        runProcess(DEMO_BENCH_EXE, {"--data", dataDir, "--parts", "8-8", "--rate", "5", "--json"}, {}, 300);
    ASSERT_EQ(j.exitCode, 0) << j.err;
    EXPECT_NE(j.out.find("\"part\": 8"), std::string::npos) << j.out;
}
