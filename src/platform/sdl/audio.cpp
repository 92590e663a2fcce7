#include "platform/audio.h"

#include <SDL2/SDL.h>
#include <mpg123.h>

#include <cstdio>
#include <cstring>

#include "platform/audio_clock.h"
#include "platform/timer.h"

namespace {

struct Player {
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

Player player;
bool decoderLibraryUp = false;

bool startDecoderLibrary() {
    if (!decoderLibraryUp) decoderLibraryUp = mpg123_init() == MPG123_OK;
    return decoderLibraryUp;
}

// Signed 16-bit output at whatever rate and channel count the file has.
mpg123_handle* newDecoder() {
    if (!startDecoderLibrary()) return nullptr;
    int err = 0;
    mpg123_handle* mh = mpg123_new(nullptr, &err);
    if (!mh) return nullptr;
    mpg123_param(mh, MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0);
    mpg123_format_none(mh);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    return mh;
}

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
        size_t done = 0;
        const int rc = mpg123_read(player.decoder, chunk, sizeof chunk, &done);
        if (done > 0) SDL_AudioStreamPut(player.convert, chunk, int(done));
        if (rc == MPG123_DONE || (rc != MPG123_OK && rc != MPG123_NEW_FORMAT && done == 0)) {
            player.ended = true;
            SDL_AudioStreamFlush(player.convert);
        }
    }
    int got = SDL_AudioStreamGet(player.convert, out, len);
    if (got < 0) got = 0;
    if (got < len) std::memset(out + got, 0, size_t(len - got));
    player.position += uint64_t(got);
}

}  // namespace

// Opens a file as the stream is played: null, after a line saying why, when
// it cannot be opened or its first frame does not decode as MP3.
static mpg123_handle* openCheckedStream(const char* path, long* rate, int* channels) {
    mpg123_handle* mh = newDecoder();
    if (!mh) return nullptr;
    int encoding = 0;
    if (mpg123_open(mh, path) != MPG123_OK) {
        std::fprintf(stderr, "audio: cannot open %s\n", path);
        mpg123_delete(mh);
        return nullptr;
    }
    // A stream counts only when a first frame decodes.
    if (mpg123_getformat(mh, rate, channels, &encoding) != MPG123_OK ||
        mpg123_decode_frame(mh, nullptr, nullptr, nullptr) == MPG123_ERR) {
        std::fprintf(stderr, "audio: %s does not decode as MP3\n", path);
        mpg123_close(mh);
        mpg123_delete(mh);
        return nullptr;
    }
    mpg123_seek(mh, 0, SEEK_SET);
    return mh;
}

int audioCheckStreamFile(const char* path) {
    long rate = 0;
    int channels = 0;
    mpg123_handle* mh = openCheckedStream(path, &rate, &channels);
    if (!mh) return 0;
    mpg123_close(mh);
    mpg123_delete(mh);
    return 1;
}

uint32_t audioGetVersion() { return audioPlayerVersion; }

int audioInit(int /*device*/, int frequency, int /*flags*/) {
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

uint32_t audioStreamCreateFile(int /*inMemory*/, const char* path, uint64_t /*offset*/,
                               uint64_t /*length*/, int /*flags*/) {
    if (!player.device || player.decoder) return 0;
    long rate = 0;
    int channels = 0;
    mpg123_handle* mh = openCheckedStream(path, &rate, &channels);
    if (!mh) return 0;
    SDL_AudioStream* convert = SDL_NewAudioStream(AUDIO_S16SYS, Uint8(channels), int(rate),
                                                  player.obtained.format, player.obtained.channels,
                                                  player.obtained.freq);
    if (!convert) {
        mpg123_close(mh);
        mpg123_delete(mh);
        return 0;
    }
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

int audioStart() { return player.device ? 1 : 0; }

int audioStreamPlay(uint32_t stream, int /*flush*/, int /*flags*/) {
    if (!player.device || stream == 0 || !player.decoder) return 0;
    SDL_PauseAudioDevice(player.device, 0);
    return 1;
}

uint64_t audioChannelGetPosition(uint32_t stream) {
    if (!player.device || stream == 0) return 0;
    SDL_LockAudioDevice(player.device);
    const uint64_t p = player.position;
    SDL_UnlockAudioDevice(player.device);
    return p;
}

int audioAudibleStartUs(uint32_t stream, int64_t* startUs) {
    if (!player.device || stream == 0 || !startUs) return 0;
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

int audioOutputLatencyUs() {
    if (!player.device || player.obtained.freq <= 0) return 0;
    return int(int64_t(player.latencyFrames) * 1000000 / player.obtained.freq);
}

int audioOutputRate() { return player.device ? player.obtained.freq : 0; }

void audioSetHandOverObserver(AudioHandOverFn fn) {
    if (player.device) SDL_LockAudioDevice(player.device);
    player.observer = fn;
    if (player.device) SDL_UnlockAudioDevice(player.device);
}

int audioFree() {
    if (player.device) {
        SDL_CloseAudioDevice(player.device);
        player.device = 0;
    }
    if (player.convert) SDL_FreeAudioStream(player.convert);
    player.convert = nullptr;
    if (player.decoder) {
        mpg123_close(player.decoder);
        mpg123_delete(player.decoder);
    }
    player.decoder = nullptr;
    if (player.subsystemUp) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    player.subsystemUp = false;
    return 1;
}

long audioProbeBytes(const unsigned char* data, long size) {
    if (!data || size <= 0) return 0;
    mpg123_handle* mh = newDecoder();
    if (!mh) return 0;
    long samples = 0;
    if (mpg123_open_feed(mh) == MPG123_OK &&
        mpg123_feed(mh, data, size_t(size)) == MPG123_OK) {
        long rate = 0;
        int channels = 0, encoding = 0;
        unsigned char chunk[8192];
        for (;;) {
            size_t done = 0;
            const int rc = mpg123_read(mh, chunk, sizeof chunk, &done);
            if (rc == MPG123_NEW_FORMAT) {
                mpg123_getformat(mh, &rate, &channels, &encoding);
                continue;
            }
            if (channels > 0) samples += long(done / (2 * size_t(channels)));
            if (rc != MPG123_OK || (rate > 0 && samples >= rate)) break;
        }
    }
    mpg123_delete(mh);
    return samples;
}

long long audioDecodedLength(const char* path, long* rate, int* channels) {
    mpg123_handle* mh = newDecoder();
    if (!mh) return -1;
    long long length = -1;
    int encoding = 0;
    long r = 0;
    int c = 0;
    if (mpg123_open(mh, path) == MPG123_OK && mpg123_getformat(mh, &r, &c, &encoding) == MPG123_OK &&
        mpg123_scan(mh) == MPG123_OK) {
        length = mpg123_length(mh);
        mpg123_close(mh);
    }
    mpg123_delete(mh);
    if (rate) *rate = r;
    if (channels) *channels = c;
    return length;
}
