#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "platform/audio.h"
#include "support/process.h"

// The generated soundtrack as the demo's own player sees it.
TEST(Soundtrack, TheDemosPlayerDecodesTheWholeTrack) {
    const std::string track = DEMO_BUILD_DIR "/data/5tfina.mp3";
    if (!fileExists(track)) GTEST_SKIP() << "no generated data";
    long rate = 0;
    int channels = 0;
    const long long samples = audioDecodedLength(track.c_str(), &rate, &channels);
    EXPECT_EQ(rate, 44100);
    EXPECT_EQ(channels, 2);
    EXPECT_GE(samples, 229LL * 44100);

    std::ifstream in(track, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), {});
    EXPECT_GE(audioProbeBytes(bytes.data(), long(bytes.size())), 44100);
    const char text[] = "not an mp3 at all, just words";
    EXPECT_EQ(audioProbeBytes(reinterpret_cast<const unsigned char*>(text), sizeof text), 0);
}
