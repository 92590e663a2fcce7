// The generated soundtrack: decodes to the full length, follows the timeline's
// loudness, keeps its kicks on the beat grid of the pictures, and is the same
// file on every run.

#include <gtest/gtest.h>
#include <mpg123.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "mkdata.h"
#include "music.h"

namespace {

namespace fs = std::filesystem;

struct Decoded {
    long rate = 0;
    int channels = 0;
    std::vector<short> pcm;  // interleaved
    long frames() const { return channels ? (long)pcm.size() / channels : 0; }
};

std::string decodeMp3(const std::string& path, Decoded& out) {
    mpg123_init();  // required by libraries older than 1.27, harmless after
    int err = MPG123_OK;
    mpg123_handle* mh = mpg123_new(nullptr, &err);
    if (!mh) return "mpg123_new failed";
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
    mpg123_format_none(mh);
    for (long rate : {32000L, 44100L, 48000L})
        mpg123_format(mh, rate, MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    std::string problem;
    int encoding = 0;
    if (mpg123_open(mh, path.c_str()) != MPG123_OK ||
        mpg123_getformat(mh, &out.rate, &out.channels, &encoding) != MPG123_OK) {
        problem = std::string("cannot open: ") + mpg123_strerror(mh);
    } else {
        std::vector<unsigned char> buffer(1 << 16);
        for (;;) {
            size_t done = 0;
            int rc = mpg123_read(mh, buffer.data(), buffer.size(), &done);
            const short* s = reinterpret_cast<const short*>(buffer.data());
            out.pcm.insert(out.pcm.end(), s, s + done / sizeof(short));
            if (rc == MPG123_DONE) break;
            if (rc != MPG123_OK && rc != MPG123_NEW_FORMAT) {
                problem = std::string("decode error: ") + mpg123_strerror(mh);
                break;
            }
        }
        mpg123_close(mh);
    }
    mpg123_delete(mh);
    return problem;
}

std::vector<unsigned char> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

// Mono mix as floats in [-1, 1].
std::vector<float> monoOf(const std::vector<short>& pcm) {
    std::vector<float> mono(pcm.size() / 2);
    for (size_t i = 0; i < mono.size(); ++i)
        mono[i] = ((float)pcm[2 * i] + (float)pcm[2 * i + 1]) / 65536.0f;
    return mono;
}

double rmsDb(const std::vector<float>& x, long from, long to) {
    from = std::max(0L, from);
    to = std::min((long)x.size(), to);
    if (to <= from) return -200.0;
    double sum = 0.0;
    for (long n = from; n < to; ++n) sum += (double)x[n] * x[n];
    return 10.0 * std::log10(sum / (double)(to - from) + 1e-20);
}

long msToFrame(double ms) { return std::lround(ms * 44.1); }

// Energy below about 120 Hz, smoothed over 2 ms: kicks stand out. The kick's
// energy there peaks some 80 ms after its onset, once its pitch has fallen.
std::vector<float> lowBandEnvelope(const std::vector<float>& x) {
    const float a = 1.0f - std::exp(-2.0f * 3.14159265f * 120.0f / 44100.0f);
    const float s = 1.0f - std::exp(-1.0f / (0.002f * 44100.0f));
    std::vector<float> env(x.size());
    float l1 = 0, l2 = 0, e = 0;
    for (size_t n = 0; n < x.size(); ++n) {
        l1 += a * (x[n] - l1);
        l2 += a * (l1 - l2);
        e += s * (l2 * l2 - e);
        env[n] = e;
    }
    return env;
}

double meanDb(const std::vector<float>& energy, long from, long to) {
    double sum = 0.0;
    for (long n = from; n < to; ++n) sum += energy[n];
    return 10.0 * std::log10(sum / (double)(to - from) + 1e-20);
}

// One generated file, decoded: every check below reads it.
struct Generated {
    std::string path;
    Decoded decoded;
    std::vector<float> mono;
};

void checkDecodesToTheExactLengthInStereo(const Generated& g) {
    EXPECT_EQ(g.decoded.rate, 44100);
    EXPECT_EQ(g.decoded.channels, 2);
    EXPECT_GE(g.decoded.frames(), 229L * 44100);
    // The info frame's delay and padding make a gapless decode exact.
    EXPECT_EQ(g.decoded.frames(), music::kMusicFrames);
}

void checkFirstFrameIsTheLameInfoFrame(const Generated& g) {
    std::vector<unsigned char> bytes = readBytes(g.path);
    ASSERT_GT(bytes.size(), 4000u);
    EXPECT_EQ(bytes[0], 0xFF);  // an MPEG frame, no ID3 tag in front
    EXPECT_EQ(bytes[1] & 0xE0, 0xE0);
    std::string head(bytes.begin(), bytes.begin() + 400);
    EXPECT_TRUE(head.find("Info") != std::string::npos || head.find("Xing") != std::string::npos);
    EXPECT_NE(head.find("LAME"), std::string::npos);
}

void checkLoudnessFollowsTheTimeline(const Generated& g) {
    const int* ms = music::kPartBoundaryMs;
    std::printf("part  start ms  RMS dBFS\n");
    double partDb[music::kPartCount];
    for (int p = 0; p < music::kPartCount; ++p) {
        partDb[p] = rmsDb(g.mono, msToFrame(ms[p]), msToFrame(ms[p + 1]));
        std::printf("%4d  %8d  %7.1f\n", p, ms[p], partDb[p]);
    }
    double startDb = rmsDb(g.mono, 0, msToFrame(100));
    double tailDb = rmsDb(g.mono, msToFrame(229000), (long)g.mono.size());
    std::printf("first 100 ms %.1f dBFS, after 229 s %.1f dBFS\n", startDb, tailDb);
    EXPECT_LT(startDb, -60.0);  // fades in from silence
    EXPECT_LT(tailDb, -70.0);   // silent once the demo has ended
    for (int p = 1; p <= 7; ++p) EXPECT_GT(partDb[p], -22.0) << "part " << p;
    for (int p : {2, 3, 4, 6}) {
        EXPECT_GT(partDb[p], partDb[0] + 6.0) << "the title is calmer than part " << p;
        EXPECT_LT(partDb[p], -8.0) << "part " << p << " leaves headroom";
    }
}

// In the four-to-the-floor sections every beat of the grid starts a kick: the
// low band rises right at the beat and peaks soon after, never in between.
void checkKicksLandOnTheBeatGrid(const Generated& g) {
    std::vector<float> env = lowBandEnvelope(g.mono);
    const long half = music::kBeatFrames / 2;
    struct Range {
        int from, to;  // beats inside sections with a kick on every beat
    };
    int checked = 0, good = 0;
    double worstOnsetMs = 0.0;
    for (Range r : {Range{169, 199}, Range{202, 262}, Range{265, 326}, Range{361, 422},
                    Range{425, 490}}) {
        for (int beat = r.from; beat < r.to; ++beat) {
            long at = music::beatFrame(beat);
            long peak = at - half;
            for (long n = at - half; n < at + half; ++n)
                if (env[n] > env[peak]) peak = n;
            long onset = at - msToFrame(50);
            while (env[onset] < 0.2f * env[peak]) ++onset;
            double onsetMs = (double)(onset - at) / 44.1, peakMs = (double)(peak - at) / 44.1;
            worstOnsetMs = std::max(worstOnsetMs, std::fabs(onsetMs));
            ++checked;
            if (onsetMs >= 0.0 && onsetMs <= 20.0 && peakMs >= 0.0 && peakMs <= 100.0)
                ++good;
            else if (checked - good <= 5)  // the first few say enough
                ADD_FAILURE() << "beat " << beat << ": onset " << onsetMs << " ms, peak " << peakMs
                              << " ms after the grid";
        }
    }
    std::printf("%d of %d kicks on the grid, onsets at most %.1f ms late\n", good, checked,
                worstOnsetMs);
    EXPECT_EQ(good, checked);
}

// The low band of part 3 repeats best after one beat: 114 / 35 / 8 s.
void checkLowBandRepeatsEveryBeat(const Generated& g) {
    std::vector<float> env = lowBandEnvelope(g.mono);
    const int hop = 21;  // about half a millisecond
    long from = msToFrame(music::kPartBoundaryMs[3] + 1000);
    long to = msToFrame(music::kPartBoundaryMs[4] - 1000);
    std::vector<double> x;
    for (long n = from; n + hop <= to; n += hop) x.push_back(env[n]);
    double mean = 0.0;
    for (double v : x) mean += v;
    mean /= (double)x.size();
    for (double& v : x) v -= mean;
    long bestLag = 0;
    double best = -1e300;
    for (long lag = msToFrame(250) / hop; lag <= msToFrame(600) / hop; ++lag) {
        double sum = 0.0;
        for (size_t i = 0; i + lag < x.size(); ++i) sum += x[i] * x[i + lag];
        sum /= (double)(x.size() - lag);
        if (sum > best) {
            best = sum;
            bestLag = lag;
        }
    }
    double seconds = (double)(bestLag * hop) / 44100.0;
    std::printf("low band repeats every %.4f s (grid 0.4071 s)\n", seconds);
    EXPECT_NEAR(seconds, 114.0 / 35.0 / 8.0, 0.001);
}

// Sections turn at the part boundaries: the groove starts with part 1, part 5
// opens with a breakdown without kicks and part 8 calms down.
void checkSectionsTurnAtThePartBoundaries(const Generated& g) {
    std::vector<float> low = lowBandEnvelope(g.mono);
    std::vector<float> full(g.mono.size());
    for (size_t n = 0; n < g.mono.size(); ++n) full[n] = g.mono[n] * g.mono[n];
    auto span = [](int beat, int beats, long* a, long* b) {
        *a = music::beatFrame(std::min(beat, beat + beats));
        *b = music::beatFrame(std::max(beat, beat + beats));
    };
    struct Case {
        const char* what;
        int beat;
        bool lowBand;
        double riseDb;  // after minus before, over eight beats each
    } cases[] = {
        {"part 1 brings the groove", music::partStartBeat(1), false, 4.0},
        {"part 5 opens with a breakdown", music::partStartBeat(5), true, -8.0},
        {"part 8 calms down", music::partStartBeat(8), false, -3.0},
    };
    for (const Case& c : cases) {
        const std::vector<float>& e = c.lowBand ? low : full;
        long a0, b0, a1, b1;
        span(c.beat, -8, &a0, &b0);
        span(c.beat, 8, &a1, &b1);
        double rise = meanDb(e, a1, b1) - meanDb(e, a0, b0);
        std::printf("%-32s %+.1f dB\n", c.what, rise);
        if (c.riseDb > 0)
            EXPECT_GT(rise, c.riseDb) << c.what;
        else
            EXPECT_LT(rise, c.riseDb) << c.what;
    }
}

// Part 2 builds up in half time; from the first pulse of its beat layers the
// kick falls on every beat.
void checkFourToTheFloorFromThePulse(const Generated& g) {
    std::vector<float> low = lowBandEnvelope(g.mono);
    auto oddOverEvenDb = [&](int firstBeat) {
        double odd = 0.0, even = 0.0;
        for (int beat = firstBeat; beat < firstBeat + 8; ++beat) {
            long at = music::beatFrame(beat);
            double sum = 0.0;
            for (long n = at; n < at + msToFrame(150); ++n) sum += low[n];
            (beat % 2 ? odd : even) += sum;
        }
        return 10.0 * std::log10(odd / even);
    };
    double before = oddOverEvenDb(music::kPulseBeat - 8);
    double after = oddOverEvenDb(music::kPulseBeat);
    std::printf("odd over even beats: %.1f dB before the pulse, %.1f dB after\n", before, after);
    EXPECT_LT(before, -6.0);
    EXPECT_NEAR(after, 0.0, 2.0);
}

TEST(SoundtrackGrid, BeatIsLockedToThePictures) {
    // Eight beats are 114 picture units of 1/35 s.
    EXPECT_EQ(8 * music::kBeatFrames * 35, 114L * 44100);
    // The first pulse of part 2 (54300 ms + 507 units) starts a bar.
    EXPECT_EQ(music::beatFrame(music::kPulseBeat), 54300L * 441 / 10 + 507L * 44100 / 35);
    EXPECT_EQ(music::kPulseBeat % 4, 0);
    EXPECT_EQ(music::stepFrame(4L * music::kPulseBeat), music::beatFrame(music::kPulseBeat));
    EXPECT_EQ(music::stepFrame(1), music::kBeatOriginFrame + music::kBeatFrames / 4);
    EXPECT_EQ(music::stepFrame(-4), music::beatFrame(-1));
}

TEST(SoundtrackGrid, PartsStartOnTheBeatNearestTheirBoundary) {
    EXPECT_EQ(music::partStartBeat(0), 0);
    int previous = 0;
    for (int p = 1; p <= music::kPartCount; ++p) {
        int beat = music::partStartBeat(p);
        double beatMs = (double)music::beatFrame(beat) / 44.1;
        double offBeats = (beatMs - music::kPartBoundaryMs[p]) * 44.1 / music::kBeatFrames;
        EXPECT_LE(std::fabs(offBeats), 0.55) << "part " << p << " starts at beat " << beat;
        EXPECT_GT(beat, previous);
        previous = beat;
    }
}

TEST(SoundtrackGrid, MasterFadesInAndOut) {
    struct Case {
        double seconds;
        float low, high;
    } cases[] = {{0.0, 0.0f, 0.0f},     {1.5, 0.2f, 0.3f},     {3.0, 1.0f, 1.0f},
                 {120.0, 1.0f, 1.0f},   {226.0, 1.0f, 1.0f},   {227.5, 0.45f, 0.55f},
                 {229.0, 0.0f, 0.0f},   {234.9, 0.0f, 0.0f}};
    for (const Case& c : cases) {
        float g = music::masterGain(std::lround(c.seconds * 44100.0));
        EXPECT_GE(g, c.low) << c.seconds << " s";
        EXPECT_LE(g, c.high) << c.seconds << " s";
    }
}

TEST(SoundtrackRender, SameSamplesOnEveryRender) {
    std::vector<short> a, b;
    music::renderMusic(60L * 44100, a);
    music::renderMusic(60L * 44100, b);
    ASSERT_EQ(a.size(), 2u * 60 * 44100);
    EXPECT_TRUE(a == b);
    // A shorter render is the start of the longer one.
    std::vector<short> c;
    music::renderMusic(20L * 44100, c);
    EXPECT_TRUE(std::equal(c.begin(), c.end(), a.begin()));
}

// A fresh folder under /tmp, removed with everything in it at scope exit.
struct TempDir {
    std::string path;
    TempDir() {
        char pattern[] = "/tmp/mkdata_music_XXXXXX";
        if (const char* made = mkdtemp(pattern)) path = made;
    }
    ~TempDir() {
        std::error_code ec;
        if (!path.empty()) fs::remove_all(path, ec);
    }
};

// The whole file is written, decoded and measured in one test: writing takes
// seconds, and every test runs in a process of its own.
TEST(Soundtrack, GeneratedFile) {
    TempDir dir, second;
    ASSERT_NE(dir.path, "");
    ASSERT_NE(second.path, "");
    Generated g;
    g.path = dir.path + "/5tfina.mp3";
    auto t0 = std::chrono::steady_clock::now();
    ASSERT_EQ(writeSoundtrack(dir.path.c_str()), 1);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("soundtrack written in %.2f s, %lld bytes\n", seconds,
                (long long)fs::file_size(g.path));
    EXPECT_LT(seconds, 40.0);
    ASSERT_EQ(decodeMp3(g.path, g.decoded), "");
    ASSERT_EQ(g.decoded.channels, 2);
    g.mono = monoOf(g.decoded.pcm);

    struct Check {
        const char* name;
        void (*run)(const Generated&);
    } checks[] = {
        {"length", checkDecodesToTheExactLengthInStereo},
        {"info frame", checkFirstFrameIsTheLameInfoFrame},
        {"loudness", checkLoudnessFollowsTheTimeline},
        {"kicks on the grid", checkKicksLandOnTheBeatGrid},
        {"beat period", checkLowBandRepeatsEveryBeat},
        {"sections", checkSectionsTurnAtThePartBoundaries},
        {"pulse", checkFourToTheFloorFromThePulse},
    };
    for (const Check& c : checks) {
        SCOPED_TRACE(c.name);
        c.run(g);
    }

    // A second run writes the same bytes.
    ASSERT_EQ(writeSoundtrack(second.path.c_str()), 1);
    EXPECT_TRUE(readBytes(second.path + "/5tfina.mp3") == readBytes(g.path));
}

TEST(SoundtrackWrite, MissingFolderFails) {
    EXPECT_EQ(writeSoundtrack("/nonexistent-folder/for/mkdata"), 0);
}

}  // namespace
