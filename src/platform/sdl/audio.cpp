// Which outputs the SDL backend tries, and in what order.
#include <cstdlib>
#include <cstring>

#include "platform/audio_output.h"
#include "platform/sdl/audio_outputs.h"

namespace {
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

int backendAudioOutputs(const AudioOutput* outputs[], int capacity) {
    int n = 0;
    if (soundServerWanted() && n < capacity) outputs[n++] = &pulseAudioOutput;
    if (n < capacity) outputs[n++] = &sdlAudioOutput;
    return n;
}
