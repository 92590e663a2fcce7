// Where the music starts in an MP3 file: the frame header, the encoder's
// header frame and LAME's delay and padding.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/win32/mp3_layout.h"

namespace {
// MPEG-1 Layer III, 128 kbit/s, 44.1 kHz, joint stereo: 417 bytes a frame.
const unsigned char frameHeader[4] = {0xFF, 0xFB, 0x90, 0x64};
constexpr int frameBytes = 417;

void appendFrame(std::vector<unsigned char>& file) {
    const size_t at = file.size();
    file.resize(at + frameBytes, 0);
    std::memcpy(file.data() + at, frameHeader, 4);
}

// An "Info" frame as LAME writes it: frame count, byte count, seek table and
// quality, then its tag with the delay and the padding.
void appendInfoFrame(std::vector<unsigned char>& file, unsigned frames, int delay, int padding,
                     const char* encoder = "LAME3.100") {
    const size_t at = file.size();
    appendFrame(file);
    unsigned char* tag = file.data() + at + 4 + 32;
    std::memcpy(tag, "Info", 4);
    tag[7] = 0x0F;  // all four fields
    tag[8] = uint8_t(frames >> 24);
    tag[9] = uint8_t(frames >> 16);
    tag[10] = uint8_t(frames >> 8);
    tag[11] = uint8_t(frames);
    unsigned char* lame = tag + 8 + 4 + 4 + 100 + 4;
    std::memcpy(lame, encoder, 9);
    lame[21] = uint8_t(delay >> 4);
    lame[22] = uint8_t((delay & 0xF) << 4 | padding >> 8);
    lame[23] = uint8_t(padding);
}
}  // namespace

TEST(Mp3Layout, LameTagGivesTheMusicsStartAndLength) {
    std::vector<unsigned char> file;
    appendInfoFrame(file, 384, 576, 792);
    for (int i = 0; i < 3; ++i) appendFrame(file);
    Mp3Layout layout;
    ASSERT_TRUE(readMp3Layout(file.data(), file.size(), &layout));
    EXPECT_EQ(layout.firstFrame, 0u);
    EXPECT_EQ(layout.rate, 44100);
    EXPECT_EQ(layout.channels, 2);
    EXPECT_EQ(layout.bitrate, 128000);
    EXPECT_EQ(layout.frameBytes, frameBytes);
    EXPECT_TRUE(layout.headerFrame);
    EXPECT_EQ(layout.encoderDelay, 576);
    EXPECT_EQ(layout.encoderPadding, 792);
    // Ten seconds: 384 frames less the delay and the padding.
    EXPECT_EQ(layout.musicSamples, 441000);
    // The codec's output starts with the header frame, the delay and its own.
    EXPECT_EQ(mp3LeadingSamples(layout), 1152 + 576 + 529);
}

TEST(Mp3Layout, Id3TagIsSkippedAndStrayBytesInItAreNoFrame) {
    std::vector<unsigned char> file = {'I', 'D', '3', 4, 0, 0, 0, 0, 1, 0};  // 128 bytes of tag
    file.resize(10 + 128, 0);
    std::memcpy(file.data() + 40, frameHeader, 4);  // looks like a frame, is not one
    appendInfoFrame(file, 10, 576, 1000);
    appendFrame(file);
    Mp3Layout layout;
    ASSERT_TRUE(readMp3Layout(file.data(), file.size(), &layout));
    EXPECT_EQ(layout.firstFrame, 138u);
    EXPECT_EQ(layout.encoderDelay, 576);
}

TEST(Mp3Layout, WithoutATagTheOutputIsTakenAsItComes) {
    std::vector<unsigned char> file;
    for (int i = 0; i < 3; ++i) appendFrame(file);
    Mp3Layout layout;
    ASSERT_TRUE(readMp3Layout(file.data(), file.size(), &layout));
    EXPECT_FALSE(layout.headerFrame);
    EXPECT_EQ(layout.musicSamples, -1);
    EXPECT_EQ(mp3LeadingSamples(layout), 0);

    // A Xing frame from an encoder that says nothing of its delay: only that
    // frame's silence goes.
    std::vector<unsigned char> xing;
    appendInfoFrame(xing, 3, 0, 0, "Unknown12");
    appendFrame(xing);
    ASSERT_TRUE(readMp3Layout(xing.data(), xing.size(), &layout));
    EXPECT_TRUE(layout.headerFrame);
    EXPECT_EQ(layout.encoderDelay, 0);
    EXPECT_EQ(mp3LeadingSamples(layout), 1152);
}

TEST(Mp3Layout, WhatIsNoMp3IsRefused) {
    Mp3Layout layout;
    const char text[] = "this is a text file, not a soundtrack\n";
    EXPECT_FALSE(readMp3Layout(reinterpret_cast<const unsigned char*>(text), sizeof text, &layout));
    EXPECT_FALSE(readMp3Layout(nullptr, 0, &layout));
    // Layer II and a reserved sample rate are no Layer III frames.
    const unsigned char layer2[4] = {0xFF, 0xFD, 0x90, 0x64};
    const unsigned char badRate[4] = {0xFF, 0xFB, 0x9C, 0x64};
    EXPECT_FALSE(readMp3Layout(layer2, 4, &layout));
    EXPECT_FALSE(readMp3Layout(badRate, 4, &layout));
    // A tag that claims more than the file holds.
    std::vector<unsigned char> cut;
    appendInfoFrame(cut, 384, 576, 792);
    cut.resize(4 + 32 + 20);
    ASSERT_TRUE(readMp3Layout(cut.data(), cut.size(), &layout));
    EXPECT_EQ(layout.encoderDelay, 0);
}
