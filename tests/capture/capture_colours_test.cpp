// A recording says how its pictures are coded, in the H.264 stream and in the
// MP4's colour box alike, and decoded the way it says, a frame of strong colour
// keeps the mean colour of the same frame drawn (--png).
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "frame_folder.h"
#include "support/png_read.h"
#include "support/process.h"

namespace {
const std::string dataDir = DEMO_BUILD_DIR "/data";
const std::string ffmpeg = "/usr/bin/ffmpeg", ffprobe = "/usr/bin/ffprobe";

ProcessResult run(const std::string& program, const std::vector<std::string>& args) {
    return runProcess(program, args, {"DISPLAY="}, 300);
}

// At 4 frames a second: frame 608 is 152 s (red), frame 248 is 62 s (blue).
ProcessResult capture(std::vector<std::string> args) {
    args.insert(args.begin(), {"--data", dataDir, "--quiet", "--rate", "4"});
    return run(DEMO_CAPTURE_EXE, args);
}

// ffprobe's "range,matrix,transfer,primaries" of the first video stream.
std::string probedColours(const std::string& file) {
    const ProcessResult r = run(ffprobe, {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                          "stream=color_primaries,color_transfer,color_space,"
                                          "color_range", "-of", "csv=p=0", file});
    return r.out.substr(0, r.out.find_first_of("\r\n"));
}

// The MP4's own colour box ('colr', kind 'nclx'): "primaries,transfer,matrix,full range".
std::string colourBox(const std::string& file) {
    const std::string bytes = slurp(file);
    const size_t at = bytes.find("colrnclx");
    if (at == std::string::npos || at + 15 > bytes.size()) return "no colour box";
    auto u16 = [&](size_t i) { return std::to_string(uint8_t(bytes[i]) * 256 + uint8_t(bytes[i + 1])); };
    return u16(at + 8) + "," + u16(at + 10) + "," + u16(at + 12) + "," +
           std::to_string(uint8_t(bytes[at + 14]) >> 7);
}

struct ColourCase {
    const char* size;
    long frame;
    const char* how;      // "whole", "joined" (two pieces) or "lossless"
    const char* colours;  // ffprobe's range,matrix,transfer,primaries
    const char* box;      // primaries,transfer,matrix,full range of the MP4's box
};

TEST(Capture, VideoDecodedAsItsColourTagsSayShowsTheColoursDrawn) {
    if (!fileExists(dataDir + "/light.dat")) GTEST_SKIP() << "no generated data";
    if (!fileExists(ffmpeg) || !fileExists(ffprobe)) GTEST_SKIP() << "no ffmpeg";
    const char* const bt709 = "tv,bt709,bt709,bt709";
    const ColourCase cases[] = {{"640x480", 608, "whole", bt709, "1,1,1,0"},
                                {"640x480", 248, "joined", bt709, "1,1,1,0"},
                                {"1280x960", 608, "whole", bt709, "1,1,1,0"},
                                {"1280x960", 248, "whole", bt709, "1,1,1,0"},
                                {"640x480", 608, "lossless", "pc,gbr,bt709,bt709", "1,1,0,1"}};
    for (const ColourCase& c : cases) {
        SCOPED_TRACE(std::string(c.size) + " frame " + std::to_string(c.frame) + " " + c.how);
        const std::string dir = makeTempDir("cap-colours");
        auto span = [&](long from, long count) {
            return std::to_string(c.frame + from) + "-" + std::to_string(c.frame + from + count);
        };
        const std::string video = dir + "/clip.mp4", drawn = dir + "/png";
        ProcessResult r = capture({"--size", c.size, "--png", "--frames", span(0, 1), "-o", drawn});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        if (std::string(c.how) == "joined") {
            // As demo-record joins: pieces of a second without sound, then --join.
            std::ofstream(dir + "/list.txt") << "ffconcat version 1.0\nfile '" << dir
                                             << "/a.mp4'\nfile '" << dir << "/b.mp4'\n";
            for (const char* piece : {"a", "b"}) {
                r = capture({"--size", c.size, "--no-audio", "--frames", span(*piece == 'b' ? 4 : 0, 4),
                             "-o", dir + "/" + piece + ".mp4"});
                ASSERT_EQ(r.exitCode, 0) << r.err;
            }
            r = capture({"--size", c.size, "--frames", span(0, 8), "--join", dir + "/list.txt", "-o", video});
        } else {
            std::vector<std::string> args = {"--size", c.size, "--frames", span(0, 1), "-o", video};
            if (std::string(c.how) == "lossless") args.push_back("--lossless");
            r = capture(args);
        }
        ASSERT_EQ(r.exitCode, 0) << r.err;

        // The MP4 and the bare H.264 stream each state the colours.
        const std::string colours = probedColours(video);
        EXPECT_EQ(colours, c.colours);
        EXPECT_EQ(colourBox(video), c.box);
        r = run(ffmpeg, {"-v", "error", "-i", video, "-map", "0:v", "-c", "copy", "-f", "h264",
                         dir + "/clip.h264"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(probedColours(dir + "/clip.h264"), c.colours);

        // Decoded with the matrix and range the file states.
        const size_t comma = colours.find(',');
        const std::string range = colours.substr(0, comma);
        const std::string matrix = colours.substr(comma + 1, colours.find(',', comma + 1) - comma - 1);
        const std::string filter = matrix == "gbr" ? "null"
                                   : "scale=in_color_matrix=" + matrix + ":in_range=" + range +
                                         ":flags=accurate_rnd+full_chroma_int";
        r = run(ffmpeg, {"-v", "error", "-i", video, "-frames:v", "1", "-vf", filter, "-pix_fmt",
                         "rgb24", "-f", "rawvideo", dir + "/decoded.rgb"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const std::string shown = slurp(dir + "/decoded.rgb");
        std::vector<unsigned char> png;
        ASSERT_TRUE(readPngRgb(drawn + "/" + frameFileName(c.frame), &png));
        ASSERT_EQ(shown.size(), png.size());
        for (int channel = 0; channel < 3; ++channel) {
            double a = 0, b = 0;
            for (size_t i = channel; i < png.size(); i += 3) {
                a += uint8_t(shown[i]);
                b += png[i];
            }
            EXPECT_NEAR(a * 3 / png.size(), b * 3 / png.size(), 1.0) << "channel " << "RGB"[channel];
        }
        removeTree(dir);
    }
}
}  // namespace
