// The player over its outputs, with outputs of the test's own making: which
// output plays, when the next one is tried, and that each failure is said
// once.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/audio_output.h"

namespace {
// What a fake output does when asked, and what it was asked.
struct Fake {
    AudioFault open = AudioFault::none;
    AudioFault stream = AudioFault::none;
    int opened = 0, streams = 0, plays = 0, closes = 0;
};

Fake fakes[2];
std::vector<std::string> calls;

Fake* of(void* user) { return static_cast<Fake*>(user); }

AudioFault fakeOpen(void* user, int) {
    ++of(user)->opened;
    if (of(user)->open != AudioFault::none) return sayAudioFault(of(user)->open, "no device %d", int(of(user) - fakes));
    return AudioFault::none;
}
AudioFault fakeStream(void* user, const char* path) {
    ++of(user)->streams;
    if (of(user)->stream != AudioFault::none) return sayAudioFault(of(user)->stream, "refused %s", path);
    return AudioFault::none;
}
AudioFault fakePlay(void* user) {
    ++of(user)->plays;
    return AudioFault::none;
}
uint64_t fakePosition(void*) { return 4; }
bool fakeStart(void*, int64_t* startUs) {
    *startUs = 1234;
    return true;
}
int fakeZero(void*) { return 0; }
int fakeRate(void*) { return 44100; }
void fakeObserver(void*, AudioHandOverFn) {}
void fakeClose(void* user) { ++of(user)->closes; }

const AudioOutput outputs[2] = {
    {.name = "first", .user = &fakes[0], .open = fakeOpen, .openStream = fakeStream, .play = fakePlay,
     .pause = fakePlay, .setPosition = nullptr, .recover = nullptr, .position = fakePosition,
     .audibleStartUs = fakeStart, .latencyUs = fakeZero, .rate = fakeRate, .setObserver = fakeObserver,
     .close = fakeClose},
    {.name = "second", .user = &fakes[1], .open = fakeOpen, .openStream = fakeStream, .play = fakePlay,
     .pause = nullptr, .setPosition = nullptr, .recover = nullptr, .position = fakePosition,
     .audibleStartUs = fakeStart, .latencyUs = fakeZero, .rate = fakeRate, .setObserver = fakeObserver,
     .close = fakeClose},
};

void reset(AudioFault open0, AudioFault stream0, AudioFault open1, AudioFault stream1) {
    audioFree();
    fakes[0] = Fake{open0, stream0};
    fakes[1] = Fake{open1, stream1};
}

// The player and the stream opened, and what was said on stderr meanwhile.
struct Started {
    bool opened;
    uint32_t stream;
    std::string said;
};

Started start() {
    Started s = {};
    testing::internal::CaptureStderr();
    s.opened = audioInit(-1, 44100, 0) != 0;
    s.stream = s.opened ? audioStreamCreateFile(0, "music.mp3", 0, 0, 0) : 0;
    s.said = testing::internal::GetCapturedStderr();
    return s;
}

int lines(const std::string& s) { return int(std::count(s.begin(), s.end(), '\n')); }
}  // namespace

int backendAudioOutputs(const AudioOutput* list[], int capacity) {
    int n = 0;
    for (const AudioOutput& o : outputs)
        if (n < capacity) list[n++] = &o;
    return n;
}

// An output that cannot open, or whose server took the connection but refused
// the stream, says so once and lets go of what it held; the next output opens,
// takes the stream and plays it.
TEST(AudioPlayer, AnOutputThatFailsGivesWayToTheNext) {
    const struct {
        AudioFault openFault, streamFault;
        const char* said;
    } cases[] = {
        {AudioFault::output, AudioFault::none, "audio: no device 0\n"},
        {AudioFault::none, AudioFault::output, "audio: refused music.mp3\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        reset(c.openFault, c.streamFault, AudioFault::none, AudioFault::none);
        const auto [opened, stream, said] = start();
        ASSERT_TRUE(opened);
        EXPECT_NE(stream, 0u);
        EXPECT_EQ(said, c.said);
        EXPECT_STREQ(audioOutputName(), "second");
        EXPECT_EQ(fakes[0].closes, 1);
        EXPECT_EQ(fakes[1].streams, 1);
        EXPECT_EQ(audioStreamPlay(stream, 0, 4), 1);
        EXPECT_EQ(fakes[0].plays, 0);
        EXPECT_EQ(fakes[1].plays, 1);
        int64_t startUs = 0;
        EXPECT_EQ(audioAudibleStartUs(stream, &startUs), 1);
        EXPECT_EQ(startUs, 1234);
    }
}

// A file that does not decode is refused by every output alike: said once,
// no other output asked.
TEST(AudioPlayer, AStreamFaultEndsTheTries) {
    reset(AudioFault::none, AudioFault::stream, AudioFault::none, AudioFault::none);
    const auto [opened, stream, said] = start();
    EXPECT_TRUE(opened);
    EXPECT_EQ(stream, 0u);
    EXPECT_EQ(lines(said), 1) << said;
    EXPECT_EQ(fakes[1].opened, 0);
    EXPECT_EQ(audioStreamPlay(1, 0, 4), 0);
}

TEST(AudioPlayer, NoOutputAtAllSaysWhyForEach) {
    reset(AudioFault::output, AudioFault::none, AudioFault::output, AudioFault::none);
    const auto [opened, stream, said] = start();
    EXPECT_FALSE(opened);
    EXPECT_EQ(said, "audio: no device 0\naudio: no device 1\n");
    EXPECT_STREQ(audioOutputName(), "");
    EXPECT_EQ(audioStart(), 0);
    reset(AudioFault::none, AudioFault::output, AudioFault::none, AudioFault::output);
    const Started refused = start();
    EXPECT_EQ(refused.stream, 0u);
    EXPECT_EQ(lines(refused.said), 2) << refused.said;
}

// Without a stream, or on an output without them, the calls answer 0 and ask
// nothing of the output; audioFree lets the output go.
TEST(AudioPlayer, CallsWithoutAStreamOrAnOutputsCallAnswerNothing) {
    reset(AudioFault::none, AudioFault::none, AudioFault::none, AudioFault::none);
    ASSERT_EQ(audioInit(-1, 44100, 0), 1);
    EXPECT_EQ(audioGetVersion(), uint32_t(audioPlayerVersion));
    EXPECT_EQ(audioStart(), 1);
    EXPECT_EQ(audioStreamPlay(1, 0, 4), 0);
    EXPECT_EQ(audioChannelGetPosition(1), 0u);
    const uint32_t stream = audioStreamCreateFile(0, "music.mp3", 0, 0, 0);
    ASSERT_NE(stream, 0u);
    EXPECT_EQ(audioStreamCreateFile(0, "music.mp3", 0, 0, 0), 0u);  // one stream
    EXPECT_EQ(audioChannelGetPosition(stream), 4u);
    EXPECT_EQ(audioChannelGetPosition(0), 0u);
    EXPECT_EQ(audioChannelPause(stream), 1);
    EXPECT_EQ(audioChannelSetPosition(stream, 1000), 0);
    EXPECT_EQ(audioChannelRecover(stream), 0);
    EXPECT_EQ(audioAudibleStartUs(stream, nullptr), 0);
    audioFree();
    EXPECT_EQ(fakes[0].closes, 1);
    EXPECT_STREQ(audioOutputName(), "");
    EXPECT_EQ(audioChannelPause(stream), 0);
}
