// SDL's audio as the output: the device asks for each buffer on its own
// thread, and the clock is read from when it asked (the hand-overs).
#include <SDL2/SDL.h>

#include <cstring>

#include "platform/audio_clock.h"
#include "platform/sdl/audio_outputs.h"
#include "platform/sdl/mp3_decoder.h"
#include "platform/timer.h"

namespace {

struct SdlPlayer {
    bool skipSoundServer = false;
    bool subsystemUp = false;
    SDL_AudioDeviceID device = 0;
    SDL_AudioSpec obtained = {};
    mpg123_handle* decoder = nullptr;
    SDL_AudioStream* convert = nullptr;  // file format -> device format
    bool ended = false;
    uint64_t position = 0;
    // The device's own clock: when it took its recent buffers and how many
    // frames (music, then silence after its end) it had taken before each.
    AudioClockHistory clock = {};
    uint64_t framesHanded = 0;
    int frameBytes = 4;
    int latencyFrames = 0;
    AudioHandOverFn observer = nullptr;
};

SdlPlayer sdlPlayer;

SdlPlayer* of(void* user) { return static_cast<SdlPlayer*>(user); }

// What a driver holds in front of the buffer it asks for. The file and
// null drivers write or drop each buffer as it is handed over; the sound
// card and sound server drivers play it after the one they hold (SDL does not
// report the server's own latency beyond that).
int queuedFrames(const char* driver, int bufferFrames) {
    if (driver && (std::strcmp(driver, "disk") == 0 || std::strcmp(driver, "dummy") == 0)) return 0;
    return bufferFrames;
}

// Runs on the audio device's thread: decode just enough for this buffer.
void fillAudio(void* user, Uint8* out, int len) {
    SdlPlayer* p = of(user);
    const uint64_t nowUs = readSystemTimerUs();
    recordHandOver(&p->clock, nowUs, p->framesHanded);
    if (p->observer) p->observer(nowUs, p->framesHanded);
    p->framesHanded += uint64_t(len / p->frameBytes);
    unsigned char chunk[8192];
    while (!p->ended && SDL_AudioStreamAvailable(p->convert) < len) {
        const size_t done = decodeSome(p->decoder, chunk, sizeof chunk, &p->ended);
        if (done > 0) SDL_AudioStreamPut(p->convert, chunk, int(done));
        if (p->ended) SDL_AudioStreamFlush(p->convert);
    }
    int got = SDL_AudioStreamGet(p->convert, out, len);
    if (got < 0) got = 0;
    if (got < len) std::memset(out + got, 0, size_t(len - got));
    p->position += uint64_t(got);
}

// SDL's drivers but its sound server's, in its order, as SDL_AUDIODRIVER
// takes a list.
void leaveOutSoundServer() {
    char list[256] = "";
    for (int i = 0; i < SDL_GetNumAudioDrivers(); ++i) {
        const char* name = SDL_GetAudioDriver(i);
        if (!name || std::strcmp(name, "pulseaudio") == 0) continue;
        if (list[0]) SDL_strlcat(list, ",", sizeof list);
        SDL_strlcat(list, name, sizeof list);
    }
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, list, SDL_HINT_OVERRIDE);
}

AudioFault sdlOpen(void* user, int frequency) {
    SdlPlayer* p = of(user);
    if (p->skipSoundServer) leaveOutSoundServer();
    if (!p->subsystemUp) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
            return sayAudioFault(AudioFault::output, "%s", SDL_GetError());
        p->subsystemUp = true;
    }
    if (p->device) return AudioFault::none;
    SDL_AudioSpec want = {};
    want.freq = frequency;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 2048;
    want.callback = fillAudio;
    want.userdata = p;
    p->device = SDL_OpenAudioDevice(nullptr, 0, &want, &p->obtained, 0);
    if (!p->device) return sayAudioFault(AudioFault::output, "no output device: %s", SDL_GetError());
    p->frameBytes = int(SDL_AUDIO_BITSIZE(p->obtained.format) / 8) * p->obtained.channels;
    if (p->frameBytes <= 0) p->frameBytes = 4;
    p->latencyFrames = queuedFrames(SDL_GetCurrentAudioDriver(), p->obtained.samples);
    return AudioFault::none;
}

AudioFault sdlOpenStream(void* user, const char* path) {
    SdlPlayer* p = of(user);
    if (!p->device || p->decoder) return AudioFault::output;
    long rate = 0;
    int channels = 0;
    mpg123_handle* mh = openCheckedStream(path, &rate, &channels);
    if (!mh) return AudioFault::stream;
    SDL_AudioStream* convert = SDL_NewAudioStream(AUDIO_S16SYS, Uint8(channels), int(rate),
                                                  p->obtained.format, p->obtained.channels,
                                                  p->obtained.freq);
    if (!convert) {
        closeDecoder(mh);
        return sayAudioFault(AudioFault::output, "cannot convert the music: %s", SDL_GetError());
    }
    SDL_LockAudioDevice(p->device);
    p->decoder = mh;
    p->convert = convert;
    p->ended = false;
    p->position = 0;
    p->clock = AudioClockHistory{};
    p->framesHanded = 0;
    SDL_UnlockAudioDevice(p->device);
    return AudioFault::none;
}

AudioFault sdlPlay(void* user) {
    SdlPlayer* p = of(user);
    if (!p->device || !p->decoder) return AudioFault::output;
    SDL_PauseAudioDevice(p->device, 0);
    return AudioFault::none;
}

AudioFault sdlPause(void* user) {
    SdlPlayer* p = of(user);
    if (!p->device || !p->decoder) return AudioFault::output;
    SDL_PauseAudioDevice(p->device, 1);
    return AudioFault::none;
}

// The device is paused: its thread no longer asks for buffers. The clock
// starts again from the first buffer taken after the position.
AudioFault sdlSetPosition(void* user, uint32_t musicMs) {
    SdlPlayer* p = of(user);
    if (!p->device || !p->decoder) return AudioFault::output;
    SDL_PauseAudioDevice(p->device, 1);
    SDL_LockAudioDevice(p->device);
    const bool moved = seekDecoder(p->decoder, musicMs);
    SDL_AudioStreamClear(p->convert);
    p->ended = false;
    p->position = 0;
    p->clock = AudioClockHistory{};
    p->framesHanded = 0;
    SDL_UnlockAudioDevice(p->device);
    return audioMoved(moved, musicMs);
}

uint64_t sdlPosition(void* user) {
    SdlPlayer* p = of(user);
    if (!p->device) return 0;
    SDL_LockAudioDevice(p->device);
    const uint64_t position = p->position;
    SDL_UnlockAudioDevice(p->device);
    return position;
}

bool sdlAudibleStartUs(void* user, int64_t* startUs) {
    SdlPlayer* p = of(user);
    if (!p->device) return false;
    const uint64_t nowUs = readSystemTimerUs();
    SDL_LockAudioDevice(p->device);
    // Four buffers without a hand-over: the device is stalled.
    const uint64_t staleUs = uint64_t(p->obtained.samples) * 4000000u /
                             uint64_t(p->obtained.freq > 0 ? p->obtained.freq : 44100);
    const bool known =
        audibleStartUs(p->clock, p->obtained.freq, p->latencyFrames, nowUs, staleUs, startUs);
    SDL_UnlockAudioDevice(p->device);
    return known;
}

int sdlLatencyUs(void* user) {
    SdlPlayer* p = of(user);
    if (!p->device || p->obtained.freq <= 0) return 0;
    return int(int64_t(p->latencyFrames) * 1000000 / p->obtained.freq);
}

int sdlRate(void* user) { return of(user)->device ? of(user)->obtained.freq : 0; }

void sdlSetObserver(void* user, AudioHandOverFn fn) {
    SdlPlayer* p = of(user);
    if (p->device) SDL_LockAudioDevice(p->device);
    p->observer = fn;
    if (p->device) SDL_UnlockAudioDevice(p->device);
}

void sdlClose(void* user) {
    SdlPlayer* p = of(user);
    if (p->device) SDL_CloseAudioDevice(p->device);
    if (p->convert) SDL_FreeAudioStream(p->convert);
    closeDecoder(p->decoder);
    if (p->subsystemUp) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    const bool skip = p->skipSoundServer;
    *p = SdlPlayer{};
    p->skipSoundServer = skip;
}

}  // namespace

void sdlAudioSkipsSoundServer() { sdlPlayer.skipSoundServer = true; }

const AudioOutput sdlAudioOutput = {
    .name = "sdl",
    .user = &sdlPlayer,
    .open = sdlOpen,
    .openStream = sdlOpenStream,
    .play = sdlPlay,
    .pause = sdlPause,
    .setPosition = sdlSetPosition,
    .recover = nullptr,
    .position = sdlPosition,
    .audibleStartUs = sdlAudibleStartUs,
    .latencyUs = sdlLatencyUs,
    .rate = sdlRate,
    .setObserver = sdlSetObserver,
    .close = sdlClose,
};
