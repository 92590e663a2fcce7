// The soundtrack through the system's MPEG Layer-3 codec: music time 0 is the
// first real sample, and the length is the music's own.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/win32/decoded_music.h"
#include "platform/win32/mp3_decoder.h"

namespace {
// Build paths are Linux paths; under Wine the root is drive Z:.
std::string hostPath(const char* path) {
    return path[0] == '/' ? std::string("Z:") + path : std::string(path);
}

const std::string track = hostPath(DEMO_DATA_FOLDER) + "/5tfina.mp3";

std::vector<int16_t> decodeAll(Mp3Decoder* d) {
    std::vector<int16_t> all;
    int16_t chunk[4096 * 2];
    for (int got; (got = readMp3Frames(d, chunk, 4096)) > 0;) all.insert(all.end(), chunk, chunk + 2 * got);
    return all;
}
}  // namespace

TEST(Soundtrack, DecodesToTheMusicsOwnLength) {
    Mp3Decoder d = {};
    ASSERT_TRUE(openMp3File(&d, track.c_str())) << track;
    ASSERT_GT(d.layout.musicSamples, 44100 * 200);
    const std::vector<int16_t> all = decodeAll(&d);
    EXPECT_EQ(static_cast<long long>(all.size() / 2), d.layout.musicSamples);
    closeMp3(&d);
    long rate = 0;
    int channels = 0;
    EXPECT_EQ(audioDecodedLength(track.c_str(), &rate, &channels), d.layout.musicSamples);
    EXPECT_EQ(rate, 44100);
    EXPECT_EQ(channels, 2);
}

// A seek, forward or back, gives the samples a play from the start gives at
// that music time: the same sample, not one early or late. Past the music's
// end it fails.
TEST(Soundtrack, ASeekLandsOnTheSampleOfItsMusicTime) {
    Mp3Decoder d = {};
    ASSERT_TRUE(openMp3File(&d, track.c_str())) << track;
    const std::vector<int16_t> all = decodeAll(&d);
    ASSERT_GT(all.size(), size_t(2 * 44100 * 70));
    auto samplesAfterSeek = [&](long long at) {
        std::vector<int16_t> got(2 * 2048);
        EXPECT_TRUE(seekMp3(&d, at)) << at;
        EXPECT_EQ(readMp3Frames(&d, got.data(), 2048), 2048) << at;
        return got;
    };
    // 60 s in, then back to 20 s, 1 ms in, and a sample away from 60 s.
    for (long long at : {60LL * 44100, 20LL * 44100, 44LL, 60LL * 44100 + 1}) {
        const std::vector<int16_t> got = samplesAfterSeek(at);
        const std::vector<int16_t> want(all.begin() + 2 * at, all.begin() + 2 * at + 2 * 2048);
        EXPECT_EQ(got, want) << "seek to sample " << at;
    }
    EXPECT_FALSE(seekMp3(&d, d.layout.musicSamples + 44100));
    closeMp3(&d);
}

// The whole music decoded in the background is the decoder's own output from
// the start, frame for frame; stopped half-way or on a file that does not
// decode, it never says it is done.
TEST(Soundtrack, TheWholeMusicDecodedAsidePlaysAsTheDecoderDoes) {
    Mp3Decoder d = {};
    ASSERT_TRUE(openMp3File(&d, track.c_str())) << track;
    const std::vector<int16_t> all = decodeAll(&d);
    closeMp3(&d);

    DecodedMusic* whole = startDecodingMusic(track.c_str());
    ASSERT_NE(whole, nullptr);
    long long frames = 0;
    const int16_t* samples = nullptr;
    for (int waited = 0; !samples && waited < 60000; waited += 20) {
        samples = decodedMusicFrames(whole, &frames);
        if (!samples) Sleep(20);
    }
    ASSERT_NE(samples, nullptr) << "not decoded within a minute";
    ASSERT_EQ(static_cast<size_t>(2 * frames), all.size());
    EXPECT_EQ(std::memcmp(samples, all.data(), all.size() * 2), 0);
    endDecodedMusic(whole);

    DecodedMusic* stopped = startDecodingMusic(track.c_str());
    ASSERT_NE(stopped, nullptr);
    endDecodedMusic(stopped);  // at once: it must end and free what it had

    DecodedMusic* missing = startDecodingMusic((hostPath(DEMO_DATA_FOLDER) + "/no-such.mp3").c_str());
    ASSERT_NE(missing, nullptr);
    Sleep(200);
    EXPECT_EQ(decodedMusicFrames(missing, &frames), nullptr);
    endDecodedMusic(missing);
}

#ifdef DEMO_SOUNDTRACK_REFERENCE
// Another decoder's first ten seconds, with the encoder's delay dropped by
// LAME's tag: the same samples within a few steps of rounding, from the first
// on. One sample early or late would differ by far more.
TEST(Soundtrack, StartsAtTheFirstRealSample) {
    FILE* f = std::fopen(hostPath(DEMO_SOUNDTRACK_REFERENCE).c_str(), "rb");
    ASSERT_TRUE(f) << DEMO_SOUNDTRACK_REFERENCE;
    std::vector<int16_t> reference(441000 * 2);
    reference.resize(std::fread(reference.data(), 2, reference.size(), f));
    std::fclose(f);
    ASSERT_EQ(reference.size(), 441000u * 2);

    Mp3Decoder d = {};
    ASSERT_TRUE(openMp3File(&d, track.c_str()));
    std::vector<int16_t> ours(reference.size() + 8);
    int got = 0;
    while (got < 441004) {
        const int n = readMp3Frames(&d, ours.data() + 2 * got, 441004 - got);
        if (n <= 0) break;
        got += n;
    }
    closeMp3(&d);
    ASSERT_EQ(got, 441004);
    auto largestDifference = [&](int shift) {
        int worst = 0;
        for (size_t i = 8; i + 8 < reference.size(); ++i)
            worst = std::max(worst, std::abs(int(ours[i + 2 * shift]) - int(reference[i])));
        return worst;
    };
    EXPECT_LE(largestDifference(0), 4);
    EXPECT_GT(largestDifference(1), 50);
}
#endif

TEST(Soundtrack, WhatIsNoMp3DecodesToNothing) {
    const char text[] = "this is a text file, not a soundtrack\n";
    EXPECT_EQ(audioProbeBytes(reinterpret_cast<const unsigned char*>(text), sizeof text), 0);
    std::vector<unsigned char> zeros(100000, 0);
    EXPECT_EQ(audioProbeBytes(zeros.data(), long(zeros.size())), 0);
    EXPECT_EQ(audioCheckStreamFile((hostPath(DEMO_DATA_FOLDER) + "/no-such.mp3").c_str()), 0);
}

TEST(Soundtrack, ProbeOfTheRealFileGivesItsFirstSecond) {
    FILE* f = std::fopen(track.c_str(), "rb");
    ASSERT_TRUE(f);
    std::vector<unsigned char> bytes(1 << 16);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    std::fclose(f);
    EXPECT_GT(audioProbeBytes(bytes.data(), long(bytes.size())), 44100 / 2);
}
