// SDL's audio as the output: the device asks for each buffer on its own
// thread, and the clock is read from when it asked (the hand-overs).
#include <SDL2/SDL.h>

#include <cstdio>
#include <cstring>

#include "platform/audio_clock.h"
#include "platform/sdl/audio_output.h"
#include "platform/timer.h"

namespace {

struct SdlPlayer {
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

SdlPlayer player;

// What a driver holds in front of the buffer it asks for. The file and
// null drivers write or drop each buffer as it is handed over; the sound
// card and sound server drivers play it after the one they hold (SDL does not
// report the server's own latency beyond that).
int queuedFrames(const char* driver, int bufferFrames) {
    if (driver && (std::strcmp(driver, "disk") == 0 || std::strcmp(driver, "dummy") == 0)) return 0;
    return bufferFrames;
}

// Runs on the audio device's thread: decode just enough for this buffer.
void fillAudio(void*, Uint8* out, int len) {
    const uint64_t nowUs = readSystemTimerUs();
    recordHandOver(&player.clock, nowUs, player.framesHanded);
    if (player.observer) player.observer(nowUs, player.framesHanded);
    player.framesHanded += uint64_t(len / player.frameBytes);
    unsigned char chunk[8192];
    while (!player.ended && SDL_AudioStreamAvailable(player.convert) < len) {
        const size_t done = decodeSome(player.decoder, chunk, sizeof chunk, &player.ended);
        if (done > 0) SDL_AudioStreamPut(player.convert, chunk, int(done));
        if (player.ended) SDL_AudioStreamFlush(player.convert);
    }
    int got = SDL_AudioStreamGet(player.convert, out, len);
    if (got < 0) got = 0;
    if (got < len) std::memset(out + got, 0, size_t(len - got));
    player.position += uint64_t(got);
}

int sdlOpen(int frequency) {
    if (!player.subsystemUp) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            std::fprintf(stderr, "audio: %s\n", SDL_GetError());
            return 0;
        }
        player.subsystemUp = true;
    }
    if (player.device) return 1;
    SDL_AudioSpec want = {};
    want.freq = frequency;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 2048;
    want.callback = fillAudio;
    player.device = SDL_OpenAudioDevice(nullptr, 0, &want, &player.obtained, 0);
    if (!player.device) {
        std::fprintf(stderr, "audio: no output device: %s\n", SDL_GetError());
        return 0;
    }
    player.frameBytes = int(SDL_AUDIO_BITSIZE(player.obtained.format) / 8) * player.obtained.channels;
    if (player.frameBytes <= 0) player.frameBytes = 4;
    player.latencyFrames = queuedFrames(SDL_GetCurrentAudioDriver(), player.obtained.samples);
    return 1;
}

int sdlOpenStream(mpg123_handle* mh, long rate, int channels) {
    if (!player.device || player.decoder) return 0;
    SDL_AudioStream* convert = SDL_NewAudioStream(AUDIO_S16SYS, Uint8(channels), int(rate),
                                                  player.obtained.format, player.obtained.channels,
                                                  player.obtained.freq);
    if (!convert) return 0;
    SDL_LockAudioDevice(player.device);
    player.decoder = mh;
    player.convert = convert;
    player.ended = false;
    player.position = 0;
    player.clock = AudioClockHistory{};
    player.framesHanded = 0;
    SDL_UnlockAudioDevice(player.device);
    return 1;
}

int sdlPlay() {
    if (!player.device || !player.decoder) return 0;
    SDL_PauseAudioDevice(player.device, 0);
    return 1;
}

int sdlPause() {
    if (!player.device || !player.decoder) return 0;
    SDL_PauseAudioDevice(player.device, 1);
    return 1;
}

// The device is paused: its thread no longer asks for buffers. The clock
// starts again from the first buffer taken after the position.
int sdlSetPosition(uint32_t musicMs) {
    if (!player.device || !player.decoder) return 0;
    SDL_PauseAudioDevice(player.device, 1);
    SDL_LockAudioDevice(player.device);
    const bool moved = seekDecoder(player.decoder, musicMs);
    SDL_AudioStreamClear(player.convert);
    player.ended = false;
    player.position = 0;
    player.clock = AudioClockHistory{};
    player.framesHanded = 0;
    SDL_UnlockAudioDevice(player.device);
    return moved ? 1 : 0;
}

uint64_t sdlPosition() {
    if (!player.device) return 0;
    SDL_LockAudioDevice(player.device);
    const uint64_t p = player.position;
    SDL_UnlockAudioDevice(player.device);
    return p;
}

int sdlAudibleStartUs(int64_t* startUs) {
    if (!player.device) return 0;
    const uint64_t nowUs = readSystemTimerUs();
    SDL_LockAudioDevice(player.device);
    // Four buffers without a hand-over: the device is stalled.
    const uint64_t staleUs = uint64_t(player.obtained.samples) * 4000000u /
                             uint64_t(player.obtained.freq > 0 ? player.obtained.freq : 44100);
    const bool known = audibleStartUs(player.clock, player.obtained.freq, player.latencyFrames, nowUs,
                                      staleUs, startUs);
    SDL_UnlockAudioDevice(player.device);
    return known ? 1 : 0;
}

int sdlLatencyUs() {
    if (!player.device || player.obtained.freq <= 0) return 0;
    return int(int64_t(player.latencyFrames) * 1000000 / player.obtained.freq);
}

int sdlRate() { return player.device ? player.obtained.freq : 0; }

void sdlSetObserver(AudioHandOverFn fn) {
    if (player.device) SDL_LockAudioDevice(player.device);
    player.observer = fn;
    if (player.device) SDL_UnlockAudioDevice(player.device);
}

void sdlClose() {
    if (player.device) {
        SDL_CloseAudioDevice(player.device);
        player.device = 0;
    }
    if (player.convert) SDL_FreeAudioStream(player.convert);
    player.convert = nullptr;
    closeDecoder(player.decoder);
    player.decoder = nullptr;
    if (player.subsystemUp) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    player.subsystemUp = false;
}

}  // namespace

const AudioOutput sdlAudioOutput = {
    "sdl", sdlOpen, sdlOpenStream, sdlPlay, sdlPause, sdlSetPosition, sdlPosition, sdlAudibleStartUs,
    sdlLatencyUs, sdlRate, sdlSetObserver, sdlClose,
};
