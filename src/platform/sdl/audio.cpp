// The player's calls, passed to the output chosen when the device is opened.
#include "platform/audio.h"

#include <cstdlib>
#include <cstring>

#include "platform/sdl/audio_output.h"

namespace {
const AudioOutput* output = nullptr;
bool streamOpen = false;

// A driver named in SDL_AUDIODRIVER other than the sound server's is the
// user's (or a test's) choice: SDL plays through it. Otherwise the sound
// server comes first, where one answers.
bool soundServerWanted() {
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    if (!driver || !*driver) return true;
    return std::strcmp(driver, "pulseaudio") == 0 || std::strcmp(driver, "pulse") == 0 ||
           std::strcmp(driver, "pipewire") == 0;
}
}  // namespace

uint32_t audioGetVersion() { return audioPlayerVersion; }

int audioInit(int /*device*/, int frequency, int /*flags*/) {
    if (output) return 1;
    if (soundServerWanted() && pulseAudioOutput.open(frequency)) {
        output = &pulseAudioOutput;
        return 1;
    }
    if (sdlAudioOutput.open(frequency)) {
        output = &sdlAudioOutput;
        return 1;
    }
    return 0;
}

uint32_t audioStreamCreateFile(int /*inMemory*/, const char* path, uint64_t /*offset*/,
                               uint64_t /*length*/, int /*flags*/) {
    if (!output || streamOpen) return 0;
    long rate = 0;
    int channels = 0;
    mpg123_handle* mh = openCheckedStream(path, &rate, &channels);
    if (!mh) return 0;
    if (!output->openStream(mh, rate, channels)) {
        closeDecoder(mh);
        return 0;
    }
    streamOpen = true;
    return 1;
}

int audioStart() { return output ? 1 : 0; }

int audioStreamPlay(uint32_t stream, int /*flush*/, int /*flags*/) {
    if (!output || stream == 0 || !streamOpen) return 0;
    return output->play();
}

uint64_t audioChannelGetPosition(uint32_t stream) {
    if (!output || stream == 0 || !streamOpen) return 0;
    return output->position();
}

int audioChannelPause(uint32_t stream) {
    if (!output || stream == 0 || !streamOpen) return 0;
    return output->pause();
}

int audioChannelSetPosition(uint32_t stream, uint32_t musicMs) {
    if (!output || stream == 0 || !streamOpen) return 0;
    return output->setPosition(musicMs);
}

int audioAudibleStartUs(uint32_t stream, int64_t* startUs) {
    if (!output || stream == 0 || !streamOpen || !startUs) return 0;
    return output->audibleStartUs(startUs);
}

int audioOutputLatencyUs() { return output ? output->latencyUs() : 0; }

int audioOutputRate() { return output ? output->rate() : 0; }

const char* audioOutputName() { return output ? output->name : ""; }

void audioSetHandOverObserver(AudioHandOverFn fn) {
    if (output) output->setObserver(fn);
}

int audioFree() {
    // Both: an output that failed to open may still hold what it started.
    pulseAudioOutput.close();
    sdlAudioOutput.close();
    output = nullptr;
    streamOpen = false;
    return 1;
}
