// The player of audio.h, once for every backend, over the backend's outputs
// (audio_output.h): the first output that opens and takes the stream plays it.
#include "platform/audio.h"
#include "platform/audio_output.h"

namespace {
enum { outputsKept = 4 };

struct Player {
    const AudioOutput* output = nullptr;  // the one playing, once opened
    int frequency = 0;
    bool streamOpen = false;
    // The outputs not tried yet, in order: where the first refuses the stream
    // the next is opened for it.
    const AudioOutput* next[outputsKept] = {};
    int nextCount = 0;
};

Player player;

bool openOutput(const AudioOutput* o) { return o->open(o->user, player.frequency) == AudioFault::none; }

// The next output that opens, the one before let go; false when none is left.
bool openNextOutput() {
    if (player.output) player.output->close(player.output->user);
    player.output = nullptr;
    while (player.nextCount > 0) {
        const AudioOutput* o = player.next[0];
        for (int i = 1; i < player.nextCount; ++i) player.next[i - 1] = player.next[i];
        --player.nextCount;
        if (openOutput(o)) {
            player.output = o;
            return true;
        }
        o->close(o->user);
    }
    return false;
}

// The stream's guards, the same for every call on it.
const AudioOutput* streamOutput(uint32_t stream) {
    return player.output && stream != 0 && player.streamOpen ? player.output : nullptr;
}
}  // namespace

int audioInit(int /*device*/, int frequency, int /*flags*/) {
    if (player.output) return 1;
    player.frequency = frequency;
    player.nextCount = backendAudioOutputs(player.next, outputsKept);
    return openNextOutput() ? 1 : 0;
}

uint32_t audioStreamCreateFile(int /*inMemory*/, const char* path, uint64_t /*offset*/,
                               uint64_t /*length*/, int /*flags*/) {
    if (!player.output || player.streamOpen) return 0;
    for (;;) {
        const AudioFault fault = player.output->openStream(player.output->user, path);
        if (fault == AudioFault::none) break;
        if (fault == AudioFault::stream || !openNextOutput()) return 0;
    }
    player.streamOpen = true;
    return 1;
}

int audioStreamPlay(uint32_t stream, int /*flush*/, int /*flags*/) {
    const AudioOutput* o = streamOutput(stream);
    return o && o->play(o->user) == AudioFault::none ? 1 : 0;
}

uint64_t audioChannelGetPosition(uint32_t stream) {
    const AudioOutput* o = streamOutput(stream);
    return o ? o->position(o->user) : 0;
}

int audioChannelPause(uint32_t stream) {
    const AudioOutput* o = streamOutput(stream);
    return o && o->pause && o->pause(o->user) == AudioFault::none ? 1 : 0;
}

int audioChannelSetPosition(uint32_t stream, uint32_t musicMs) {
    const AudioOutput* o = streamOutput(stream);
    return o && o->setPosition && o->setPosition(o->user, musicMs) == AudioFault::none ? 1 : 0;
}

int audioChannelRecover(uint32_t stream) {
    const AudioOutput* o = streamOutput(stream);
    return o && o->recover && o->recover(o->user) ? 1 : 0;
}

int audioAudibleStartUs(uint32_t stream, int64_t* startUs) {
    const AudioOutput* o = streamOutput(stream);
    return o && startUs && o->audibleStartUs(o->user, startUs) ? 1 : 0;
}

int audioOutputLatencyUs() { return player.output ? player.output->latencyUs(player.output->user) : 0; }

int audioOutputRate() { return player.output ? player.output->rate(player.output->user) : 0; }

const char* audioOutputName() { return player.output ? player.output->name : ""; }

void audioSetHandOverObserver(AudioHandOverFn fn) {
    if (player.output) player.output->setObserver(player.output->user, fn);
}

int audioFree() {
    if (player.output) player.output->close(player.output->user);
    player = Player{};
    return 1;
}
