#include "platform/audio.h"
#include "platform/audio_output.h"

#include <emscripten.h>

#include <cstdlib>

#include "platform/data_file.h"

// The browser build's one output: the page's audio context decodes the MP3
// (the browser's own decoder) and plays it. Its output is made on the user's
// click, since browsers keep sound off until a gesture: playing waits for it.
// Pause and seek: the page stops the music's source where it is and starts a
// new one from the music time chosen at the next play (web/page.js,
// audioPause, audioSetPosition and audioPlay).

// 0 when the browser has no Web Audio.
EM_JS(int, webAudioInit, (int frequency), {
    return Module.page.audioInit(frequency) ? 1 : 0;
});

// Decodes the whole file; 1 when it is playable audio. The page keeps what
// it decoded under the file's name, past the player's release.
EM_ASYNC_JS(int, webAudioDecode, (const char* path, const unsigned char* data, int size), {
    const bytes = HEAPU8.slice(data, data + size);
    return (await Module.page.audioDecode(bytes.buffer, UTF8ToString(path))) ? 1 : 0;
});

// 1 when the page still holds this file decoded (a new play in the same page).
EM_JS(int, webAudioKept, (const char* path), {
    return Module.page.audioKept(UTF8ToString(path)) ? 1 : 0;
});

// Starts the stream and returns once its first sample is audible. The output
// opens on the user's click on "click to start", which this waits for.
EM_ASYNC_JS(int, webAudioPlay, (), {
    return (await Module.page.audioPlay()) ? 1 : 0;
});

// The page's clock, in seconds, at which the first sample was heard; -1
// while nothing plays.
EM_JS(double, webAudioStartSeconds, (), {
    return Module.page.audioStartSeconds();
});

EM_JS(int, webAudioRate, (), {
    return Module.page.audioRate();
});

EM_JS(int, webAudioPause, (), {
    return Module.page.audioPause() ? 1 : 0;
});

EM_JS(int, webAudioSetPosition, (double seconds), {
    return Module.page.audioSetPosition(seconds) ? 1 : 0;
});

EM_JS(void, webAudioFree, (), {
    Module.page.audioFree();
});

namespace {
struct WebPlayer {
    bool deviceOpen;
    bool streamLoaded;
};

WebPlayer webPlayer = {};

WebPlayer* of(void* user) { return static_cast<WebPlayer*>(user); }

AudioFault webOpen(void* user, int frequency) {
    WebPlayer* p = of(user);
    if (!p->deviceOpen) p->deviceOpen = webAudioInit(frequency) != 0;
    if (!p->deviceOpen) return sayAudioFault(AudioFault::output, "the page has no audio output");
    return AudioFault::none;
}

AudioFault webOpenStream(void* user, const char* path) {
    WebPlayer* p = of(user);
    if (!p->deviceOpen || p->streamLoaded) return AudioFault::output;
    // Watching again plays what was decoded for the first play.
    if (webAudioKept(path)) {
        p->streamLoaded = true;
        return AudioFault::none;
    }
    unsigned char* bytes = nullptr;
    long long size = 0;
    // The page decodes it in one piece; a soundtrack is a few megabytes.
    if (readRegularFile(path, 1LL << 30, &bytes, &size) != dataFileOk || size <= 0) {
        std::free(bytes);
        return sayAudioFault(AudioFault::stream, "cannot open %s", path);
    }
    const int ok = webAudioDecode(path, bytes, int(size));
    std::free(bytes);
    if (!ok) return sayAudioFault(AudioFault::stream, "%s does not decode as MP3", path);
    p->streamLoaded = true;
    return AudioFault::none;
}

AudioFault webPlay(void*) { return webAudioPlay() ? AudioFault::none : AudioFault::output; }

AudioFault webPause(void*) { return webAudioPause() ? AudioFault::none : AudioFault::output; }

AudioFault webSetPosition(void*, uint32_t musicMs) {
    return webAudioSetPosition(double(musicMs) / 1000.0) ? AudioFault::none : AudioFault::output;
}

// Nobody reads the answer: the page is not asked.
uint64_t webPosition(void*) { return 0; }

// The page's clock is the audible position of its audio context, so the
// moment the first sample was heard is fixed on it once it has played.
bool webAudibleStartUs(void*, int64_t* startUs) {
    const double seconds = webAudioStartSeconds();
    if (seconds < 0) return false;
    *startUs = int64_t(seconds * 1e6);
    return true;
}

// What the output holds in front of the speakers is already taken off the
// page's clock.
int webLatencyUs(void*) { return 0; }

int webRate(void* user) { return of(user)->deviceOpen ? webAudioRate() : 0; }

// The browser hands over no buffers the program could watch.
void webSetObserver(void*, AudioHandOverFn) {}

void webClose(void* user) {
    webAudioFree();
    *of(user) = WebPlayer{};
}
}  // namespace

int backendAudioOutputs(const AudioOutput* outputs[], int capacity) {
    static const AudioOutput webAudio = {
        .name = "webaudio",
        .user = &webPlayer,
        .open = webOpen,
        .openStream = webOpenStream,
        .play = webPlay,
        .pause = webPause,
        .setPosition = webSetPosition,
        .recover = nullptr,
        .position = webPosition,
        .audibleStartUs = webAudibleStartUs,
        .latencyUs = webLatencyUs,
        .rate = webRate,
        .setObserver = webSetObserver,
        .close = webClose,
    };
    if (capacity < 1) return 0;
    outputs[0] = &webAudio;
    return 1;
}
