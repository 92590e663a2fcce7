#include "platform/audio.h"

// clang-format off
#include <windows.h>
#include <mmsystem.h>
// clang-format on

#include <cstdio>
#include <cstring>

#include "platform/audio_clock.h"
#include "platform/timer.h"
#include "platform/win32/mp3_decoder.h"
#include "platform/win32/output_lead.h"

namespace {
// Eight buffers of 1024 frames (23 ms each at 44.1 kHz) queued on the device.
constexpr int bufferCount = 8;
constexpr int bufferFrames = 1024;

struct Player {
    HWAVEOUT device = nullptr;
    int rate = 0;
    HANDLE bufferDone = nullptr;  // set by the device when it finishes a buffer
    HANDLE feeder = nullptr;
    LONG stopping = 0;  // written and read through the Interlocked calls alone
    CRITICAL_SECTION lock;  // the decoder, the counts and the observer
    bool lockReady = false;
    WAVEHDR headers[bufferCount] = {};
    int16_t samples[bufferCount][bufferFrames * 2] = {};
    Mp3Decoder decoder = {};
    bool streamOpen = false;
    bool playing = false;
    uint64_t musicFrames = 0;   // frames of music handed to the device
    uint64_t framesHanded = 0;  // all frames handed over, silence after the end included
    // The device's played position, sampled whenever it is asked for: each
    // step of the position is one hand-over in the sense of the clock.
    AudioClockHistory clock = {};
    DWORD lastPosition = 0;
    int leadFrames = 0;
    AudioHandOverFn observer = nullptr;
};

Player player;

// Decodes into a buffer and queues it; silence after the music's end, so the
// device and its position keep running as long as the program plays.
void fillAndQueue(int i) {
    WAVEHDR& h = player.headers[i];
    EnterCriticalSection(&player.lock);
    const uint64_t nowUs = readSystemTimerUs();
    if (player.observer) player.observer(nowUs, player.framesHanded);
    int got = player.streamOpen ? readMp3Frames(&player.decoder, player.samples[i], bufferFrames) : 0;
    player.musicFrames += uint64_t(got);
    player.framesHanded += bufferFrames;
    LeaveCriticalSection(&player.lock);
    if (got < bufferFrames)
        std::memset(player.samples[i] + 2 * got, 0, size_t(bufferFrames - got) * 4);
    h.dwFlags &= ~WHDR_DONE;
    waveOutWrite(player.device, &h, sizeof h);
}

// The feeder's stop request, read as the thread that set it wrote it.
bool stopAsked() { return InterlockedCompareExchange(&player.stopping, 0, 0) != 0; }

DWORD WINAPI feed(void*) {
    while (!stopAsked()) {
        WaitForSingleObject(player.bufferDone, 50);
        for (int i = 0; i < bufferCount && !stopAsked(); ++i)
            if (player.headers[i].dwFlags & WHDR_DONE) fillAndQueue(i);
    }
    return 0;
}

void closeDevice() {
    if (player.feeder) {
        InterlockedExchange(&player.stopping, 1);
        SetEvent(player.bufferDone);
        WaitForSingleObject(player.feeder, INFINITE);
        CloseHandle(player.feeder);
        player.feeder = nullptr;
    }
    if (player.device) {
        waveOutReset(player.device);
        for (auto& h : player.headers)
            if (h.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(player.device, &h, sizeof h);
        waveOutClose(player.device);
        player.device = nullptr;
    }
    if (player.bufferDone) CloseHandle(player.bufferDone);
    player.bufferDone = nullptr;
    player.playing = false;
    InterlockedExchange(&player.stopping, 0);
}

bool openDevice(int rate) {
    player.bufferDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    WAVEFORMATEX f = {};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = 2;
    f.nSamplesPerSec = DWORD(rate);
    f.wBitsPerSample = 16;
    f.nBlockAlign = 4;
    f.nAvgBytesPerSec = f.nSamplesPerSec * 4;
    const MMRESULT rc = waveOutOpen(&player.device, WAVE_MAPPER, &f, DWORD_PTR(player.bufferDone), 0,
                                    CALLBACK_EVENT);
    if (rc != MMSYSERR_NOERROR) {
        char text[256] = "";
        waveOutGetErrorTextA(rc, text, sizeof text);
        std::fprintf(stderr, "audio: no output device (%s)\n", text[0] ? text : "waveOutOpen failed");
        player.device = nullptr;
        CloseHandle(player.bufferDone);
        player.bufferDone = nullptr;
        return false;
    }
    // Held until everything is queued: the position starts with the music.
    waveOutPause(player.device);
    for (int i = 0; i < bufferCount; ++i) {
        WAVEHDR& h = player.headers[i];
        h = WAVEHDR{};
        h.lpData = reinterpret_cast<LPSTR>(player.samples[i]);
        h.dwBufferLength = bufferFrames * 4;
        waveOutPrepareHeader(player.device, &h, sizeof h);
        h.dwFlags |= WHDR_DONE;
    }
    player.rate = rate;
    player.leadFrames = int(int64_t(outputLeadUs()) * rate / 1000000);
    return true;
}

// The device's played position in frames, or false when it cannot say.
bool readPosition(DWORD* frames) {
    MMTIME t = {};
    t.wType = TIME_SAMPLES;
    if (waveOutGetPosition(player.device, &t, sizeof t) != MMSYSERR_NOERROR) return false;
    if (t.wType == TIME_SAMPLES) {
        *frames = t.u.sample;
        return true;
    }
    if (t.wType == TIME_BYTES) {
        *frames = t.u.cb / 4;
        return true;
    }
    return false;
}
}  // namespace

uint32_t audioGetVersion() { return audioPlayerVersion; }

int audioInit(int /*device*/, int frequency, int /*flags*/) {
    if (!player.lockReady) {
        InitializeCriticalSection(&player.lock);
        player.lockReady = true;
    }
    if (player.device) return 1;
    return openDevice(frequency) ? 1 : 0;
}

int audioCheckStreamFile(const char* path) {
    Mp3Decoder d = {};
    if (!openMp3File(&d, path)) return 0;
    closeMp3(&d);
    return 1;
}

uint32_t audioStreamCreateFile(int /*inMemory*/, const char* path, uint64_t /*offset*/,
                               uint64_t /*length*/, int /*flags*/) {
    if (!player.device || player.streamOpen) return 0;
    Mp3Decoder d = {};
    if (!openMp3File(&d, path)) return 0;
    // The device plays at the music's own rate.
    if (d.layout.rate != player.rate) {
        closeDevice();
        if (!openDevice(d.layout.rate)) {
            closeMp3(&d);
            return 0;
        }
    }
    EnterCriticalSection(&player.lock);
    player.decoder = d;
    player.streamOpen = true;
    player.musicFrames = 0;
    player.framesHanded = 0;
    player.clock = AudioClockHistory{};
    player.lastPosition = 0;
    LeaveCriticalSection(&player.lock);
    return 1;
}

int audioStart() { return player.device ? 1 : 0; }

int audioStreamPlay(uint32_t stream, int /*flush*/, int /*flags*/) {
    if (!player.device || stream == 0 || !player.streamOpen) return 0;
    if (player.playing) return 1;
    for (int i = 0; i < bufferCount; ++i) fillAndQueue(i);
    player.feeder = CreateThread(nullptr, 0, feed, nullptr, 0, nullptr);
    if (!player.feeder) return 0;
    SetThreadPriority(player.feeder, THREAD_PRIORITY_TIME_CRITICAL);
    waveOutRestart(player.device);
    player.playing = true;
    return 1;
}

uint64_t audioChannelGetPosition(uint32_t stream) {
    if (!player.device || stream == 0) return 0;
    DWORD frames = 0;
    if (!readPosition(&frames)) return 0;
    EnterCriticalSection(&player.lock);
    const uint64_t music = player.musicFrames;
    LeaveCriticalSection(&player.lock);
    return (uint64_t(frames) < music ? uint64_t(frames) : music) * 4u;
}

int audioAudibleStartUs(uint32_t stream, int64_t* startUs) {
    if (!player.device || stream == 0 || !startUs || !player.playing) return 0;
    DWORD frames = 0;
    const bool read = readPosition(&frames);
    const uint64_t nowUs = readSystemTimerUs();
    // Each step of the position is dated by the first reading that sees it:
    // never early, so the earliest answer of the recent steps is the best.
    if (read && frames != player.lastPosition) {
        player.lastPosition = frames;
        recordHandOver(&player.clock, nowUs, frames);
    }
    // Four buffers without a step: the device is stalled.
    const uint64_t staleUs = uint64_t(bufferFrames) * 4000000u / uint64_t(player.rate);
    return audibleStartUs(player.clock, player.rate, player.leadFrames, nowUs, staleUs, startUs) ? 1 : 0;
}

int audioOutputLatencyUs() { return player.device ? outputLeadUs() : 0; }

int audioOutputRate() { return player.device ? player.rate : 0; }
const char* audioOutputName() { return player.device ? "waveout" : ""; }

void audioSetHandOverObserver(AudioHandOverFn fn) {
    if (player.lockReady) EnterCriticalSection(&player.lock);
    player.observer = fn;
    if (player.lockReady) LeaveCriticalSection(&player.lock);
}

int audioFree() {
    closeDevice();
    if (player.streamOpen) closeMp3(&player.decoder);
    player.streamOpen = false;
    return 1;
}

long audioProbeBytes(const unsigned char* data, long size) {
    Mp3Decoder d = {};
    if (!openMp3Bytes(&d, data, size)) return 0;
    const long rate = d.layout.rate;
    static int16_t chunk[4096 * 2];
    long samples = 0;
    while (samples < rate) {
        const int got = readMp3Frames(&d, chunk, 4096);
        if (got <= 0) break;
        samples += got;
    }
    closeMp3(&d);
    return samples;
}

long long audioDecodedLength(const char* path, long* rate, int* channels) {
    Mp3Decoder d = {};
    if (!openMp3File(&d, path)) return -1;
    if (rate) *rate = d.layout.rate;
    if (channels) *channels = d.layout.channels;
    static int16_t chunk[4096 * 2];
    long long total = 0;
    for (;;) {
        const int got = readMp3Frames(&d, chunk, 4096);
        if (got <= 0) break;
        total += got;
    }
    closeMp3(&d);
    return total;
}
