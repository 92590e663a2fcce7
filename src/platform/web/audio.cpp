#include "platform/audio.h"

#include <emscripten.h>

#include <cstdio>
#include <cstdlib>

#include "platform/data_file.h"

// The player of the browser build: the page's audio context decodes the MP3
// (the browser's own decoder) and plays it. Its output is made on the user's
// click, since browsers keep sound off until a gesture: playing waits for it.

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

EM_JS(void, webAudioFree, (), {
    Module.page.audioFree();
});

namespace {
bool deviceOpen = false;
bool streamLoaded = false;

}  // namespace

uint32_t audioGetVersion() { return audioPlayerVersion; }

int audioInit(int /*device*/, int frequency, int /*flags*/) {
    if (!deviceOpen) deviceOpen = webAudioInit(frequency) != 0;
    if (!deviceOpen) std::fprintf(stderr, "audio: the page has no audio output\n");
    return deviceOpen ? 1 : 0;
}

uint32_t audioStreamCreateFile(int /*inMemory*/, const char* path, uint64_t /*offset*/,
                               uint64_t /*length*/, int /*flags*/) {
    if (!deviceOpen || streamLoaded) return 0;
    // Watching again plays what was decoded for the first play.
    if (webAudioKept(path)) {
        streamLoaded = true;
        return 1;
    }
    unsigned char* bytes = nullptr;
    long long size = 0;
    // The page decodes it in one piece; a soundtrack is a few megabytes.
    if (readRegularFile(path, 1LL << 30, &bytes, &size) != dataFileOk || size <= 0) {
        std::free(bytes);
        std::fprintf(stderr, "audio: cannot open %s\n", path);
        return 0;
    }
    const int ok = webAudioDecode(path, bytes, int(size));
    std::free(bytes);
    if (!ok) {
        std::fprintf(stderr, "audio: %s does not decode as MP3\n", path);
        return 0;
    }
    streamLoaded = true;
    return 1;
}

int audioStart() { return deviceOpen ? 1 : 0; }

int audioStreamPlay(uint32_t stream, int /*flush*/, int /*flags*/) {
    if (!deviceOpen || stream == 0 || !streamLoaded) return 0;
    return webAudioPlay();
}

// Nobody reads the answer (see audio.h): the page is not asked.
uint64_t audioChannelGetPosition(uint32_t /*stream*/) { return 0; }

int audioAudibleStartUs(uint32_t stream, int64_t* startUs) {
    if (!deviceOpen || stream == 0 || !streamLoaded) return 0;
    // The page's clock is the audible position of its audio context, so the
    // moment the first sample was heard is fixed on it once it has played.
    const double seconds = webAudioStartSeconds();
    if (seconds < 0) return 0;
    *startUs = int64_t(seconds * 1e6);
    return 1;
}

// What the output holds in front of the speakers is already taken off the
// page's clock.
int audioOutputLatencyUs() { return 0; }

int audioOutputRate() { return deviceOpen ? webAudioRate() : 0; }

const char* audioOutputName() { return deviceOpen ? "webaudio" : ""; }

// The browser hands over no buffers the program could watch.
void audioSetHandOverObserver(AudioHandOverFn /*fn*/) {}

int audioFree() {
    webAudioFree();
    deviceOpen = false;
    streamLoaded = false;
    return 1;
}
