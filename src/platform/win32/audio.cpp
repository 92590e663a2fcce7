#include "platform/audio.h"
#include "platform/audio_output.h"

// clang-format off
#include <windows.h>
#include <mmsystem.h>
// clang-format on

#include <cstdio>
#include <cstring>

#include "platform/audio_clock.h"
#include "platform/timer.h"
#include "platform/win32/decoded_music.h"
#include "platform/win32/mp3_decoder.h"
#include "platform/win32/output_lead.h"
#include "platform/win32/restart_anchor.h"

namespace {
// Eight buffers of 1024 frames (23 ms each at 44.1 kHz) queued on the device.
constexpr int bufferCount = 8;
constexpr int bufferFrames = 1024;
// Steps of the played position after a play before its answers are taken
// (Wine moves it 10 ms a step).
constexpr int settledSteps = 50;

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
    // The whole music, decoded in the background once the stream is open, and
    // where the next frame is read from it after a seek (-1: from the decoder).
    DecodedMusic* whole = nullptr;
    long long wholeAt = -1;
    bool streamOpen = false;
    bool playing = false;
    uint64_t musicFrames = 0;   // frames of music handed to the device
    uint64_t framesHanded = 0;  // all frames handed over, silence after the end included
    // The device's played position, sampled whenever it is asked for: each
    // step of the position is one hand-over in the sense of the clock.
    AudioClockHistory clock = {};
    DWORD lastPosition = 0;
    int stepsSincePlay = 0;
    RestartAnchor anchor = {};  // under Wine, after a play from a new position
    int leadFrames = 0;
    AudioHandOverFn observer = nullptr;
};

Player waveOutPlayer;

Player* of(void* user) { return static_cast<Player*>(user); }

// Up to `frames` frames of music from where the play is, under the lock.
int readMusic(Player* p, int16_t* out, int frames) {
    if (!p->streamOpen) return 0;
    if (p->wholeAt < 0) return readMp3Frames(&p->decoder, out, frames);
    long long total = 0;
    const int16_t* all = decodedMusicFrames(p->whole, &total);
    const long long left = total - p->wholeAt;
    const int n = int(left < frames ? left : frames);
    std::memcpy(out, all + 2 * p->wholeAt, size_t(n) * 4);
    p->wholeAt += n;
    return n;
}

// Decodes into a buffer and queues it; silence after the music's end, so the
// device and its position keep running as long as the program plays.
void fillAndQueue(Player* p, int i) {
    WAVEHDR& h = p->headers[i];
    EnterCriticalSection(&p->lock);
    const uint64_t nowUs = readSystemTimerUs();
    if (p->observer) p->observer(nowUs, p->framesHanded);
    int got = readMusic(p, p->samples[i], bufferFrames);
    p->musicFrames += uint64_t(got);
    p->framesHanded += bufferFrames;
    LeaveCriticalSection(&p->lock);
    if (got < bufferFrames)
        std::memset(p->samples[i] + 2 * got, 0, size_t(bufferFrames - got) * 4);
    h.dwFlags &= ~WHDR_DONE;
    waveOutWrite(p->device, &h, sizeof h);
}

// The feeder's stop request, read as the thread that set it wrote it.
bool stopAsked(Player* p) { return InterlockedCompareExchange(&p->stopping, 0, 0) != 0; }

DWORD WINAPI feed(void* user) {
    Player* p = of(user);
    while (!stopAsked(p)) {
        WaitForSingleObject(p->bufferDone, 50);
        for (int i = 0; i < bufferCount && !stopAsked(p); ++i)
            if (p->headers[i].dwFlags & WHDR_DONE) fillAndQueue(p, i);
    }
    return 0;
}

// The feeder ended: no buffer is refilled until the next play starts it.
void stopFeeder(Player* p) {
    if (!p->feeder) return;
    InterlockedExchange(&p->stopping, 1);
    SetEvent(p->bufferDone);
    WaitForSingleObject(p->feeder, INFINITE);
    CloseHandle(p->feeder);
    p->feeder = nullptr;
    InterlockedExchange(&p->stopping, 0);
}

void closeDevice(Player* p) {
    stopFeeder(p);
    if (p->device) {
        waveOutReset(p->device);
        for (auto& h : p->headers)
            if (h.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(p->device, &h, sizeof h);
        waveOutClose(p->device);
        p->device = nullptr;
    }
    if (p->bufferDone) CloseHandle(p->bufferDone);
    p->bufferDone = nullptr;
    p->playing = false;
}

bool openDevice(Player* p, int rate) {
    p->bufferDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    WAVEFORMATEX f = {};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = 2;
    f.nSamplesPerSec = DWORD(rate);
    f.wBitsPerSample = 16;
    f.nBlockAlign = 4;
    f.nAvgBytesPerSec = f.nSamplesPerSec * 4;
    const MMRESULT rc = waveOutOpen(&p->device, WAVE_MAPPER, &f, DWORD_PTR(p->bufferDone), 0,
                                    CALLBACK_EVENT);
    if (rc != MMSYSERR_NOERROR) {
        char text[256] = "";
        waveOutGetErrorTextA(rc, text, sizeof text);
        sayAudioFault(AudioFault::output, "no output device (%s)", text[0] ? text : "waveOutOpen failed");
        p->device = nullptr;
        CloseHandle(p->bufferDone);
        p->bufferDone = nullptr;
        return false;
    }
    // Held until everything is queued: the position starts with the music.
    waveOutPause(p->device);
    for (int i = 0; i < bufferCount; ++i) {
        WAVEHDR& h = p->headers[i];
        h = WAVEHDR{};
        h.lpData = reinterpret_cast<LPSTR>(p->samples[i]);
        h.dwBufferLength = bufferFrames * 4;
        waveOutPrepareHeader(p->device, &h, sizeof h);
        h.dwFlags |= WHDR_DONE;
    }
    p->rate = rate;
    p->leadFrames = int(int64_t(outputLeadUs()) * rate / 1000000);
    return true;
}

// The device's played position in frames, or false when it cannot say.
bool readPosition(Player* p, DWORD* frames) {
    MMTIME t = {};
    t.wType = TIME_SAMPLES;
    if (waveOutGetPosition(p->device, &t, sizeof t) != MMSYSERR_NOERROR) return false;
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

// The clock, the counts and the device's position start again with the next
// buffer queued (after a new position, from that music time).
void restartCounts(Player* p) {
    EnterCriticalSection(&p->lock);
    p->musicFrames = 0;
    p->framesHanded = 0;
    p->clock = AudioClockHistory{};
    p->lastPosition = 0;
    p->stepsSincePlay = 0;
    LeaveCriticalSection(&p->lock);
}

AudioFault waveOutOpenOutput(void* user, int frequency) {
    Player* p = of(user);
    if (!p->lockReady) {
        InitializeCriticalSection(&p->lock);
        p->lockReady = true;
    }
    if (p->device) return AudioFault::none;
    return openDevice(p, frequency) ? AudioFault::none : AudioFault::output;
}

AudioFault waveOutOpenStream(void* user, const char* path) {
    Player* p = of(user);
    if (!p->device || p->streamOpen) return AudioFault::output;
    Mp3Decoder d = {};
    if (!openMp3File(&d, path)) return AudioFault::stream;
    // The device plays at the music's own rate.
    if (d.layout.rate != p->rate) {
        closeDevice(p);
        if (!openDevice(p, d.layout.rate)) {
            closeMp3(&d);
            return AudioFault::output;
        }
    }
    EnterCriticalSection(&p->lock);
    p->decoder = d;
    p->streamOpen = true;
    p->wholeAt = -1;
    LeaveCriticalSection(&p->lock);
    p->whole = startDecodingMusic(path);
    restartCounts(p);
    return AudioFault::none;
}

// From the start or from a new position, the buffers are filled and queued
// with the device held, so the position starts with the music (and under
// Wine the first frame is heard as the device is told to play:
// restart_anchor.h); after a plain pause the device goes on where it stopped.
AudioFault waveOutPlay(void* user) {
    Player* p = of(user);
    if (!p->device || !p->streamOpen) return AudioFault::output;
    if (p->playing) return AudioFault::none;
    const bool fresh = !p->feeder;
    if (fresh) {
        waveOutPause(p->device);
        for (int i = 0; i < bufferCount; ++i) fillAndQueue(p, i);
        p->feeder = CreateThread(nullptr, 0, feed, p, 0, nullptr);
        if (!p->feeder) return sayAudioFault(AudioFault::output, "cannot start the music's feeder");
        SetThreadPriority(p->feeder, THREAD_PRIORITY_TIME_CRITICAL);
    }
    EnterCriticalSection(&p->lock);
    p->clock = AudioClockHistory{};
    p->stepsSincePlay = 0;
    // Heard as it plays: the server's sink takes a new stream at once (the
    // clicks recorded after each play came at the same moment within 1 ms).
    p->anchor = fresh && runningUnderWine() ? anchorAt(int64_t(readSystemTimerUs()), 0) : RestartAnchor{};
    LeaveCriticalSection(&p->lock);
    waveOutRestart(p->device);
    p->playing = true;
    return AudioFault::none;
}

// Silent at once; the buffers queued stay where they are.
AudioFault waveOutPauseOutput(void* user) {
    Player* p = of(user);
    if (!p->device || !p->streamOpen) return AudioFault::output;
    waveOutPause(p->device);
    p->playing = false;
    return AudioFault::none;
}

// The device gives back every buffer and its position goes to 0; the music
// moves to its new time (in the whole music once that is decoded, else by the
// decoder from the file's start), and the next play queues from there.
AudioFault waveOutSetPosition(void* user, uint32_t musicMs) {
    Player* p = of(user);
    if (!p->device || !p->streamOpen) return AudioFault::output;
    stopFeeder(p);
    waveOutPause(p->device);
    waveOutReset(p->device);
    p->playing = false;
    EnterCriticalSection(&p->lock);
    const long long sample = (long long)musicMs * p->decoder.layout.rate / 1000;
    long long total = 0;
    bool moved = false;
    if (decodedMusicFrames(p->whole, &total)) {
        // Past the end, as the decoder would be: nothing left to play.
        moved = sample <= total;
        p->wholeAt = moved ? sample : total;
    } else {
        p->wholeAt = -1;
        moved = seekMp3(&p->decoder, sample);
    }
    LeaveCriticalSection(&p->lock);
    restartCounts(p);
    return audioMoved(moved, musicMs);
}

uint64_t waveOutPosition(void* user) {
    Player* p = of(user);
    if (!p->device || !p->streamOpen) return 0;
    DWORD frames = 0;
    if (!readPosition(p, &frames)) return 0;
    EnterCriticalSection(&p->lock);
    const uint64_t music = p->musicFrames;
    LeaveCriticalSection(&p->lock);
    return (uint64_t(frames) < music ? uint64_t(frames) : music) * 4u;
}

bool waveOutAudibleStartUs(void* user, int64_t* startUs) {
    Player* p = of(user);
    if (!p->device || !p->playing) return false;
    DWORD frames = 0;
    const bool read = readPosition(p, &frames);
    const uint64_t nowUs = readSystemTimerUs();
    // Each step of the position is dated by the first reading that sees it:
    // never early, so the earliest answer of the recent steps is the best.
    EnterCriticalSection(&p->lock);
    if (read && frames != p->lastPosition) {
        p->lastPosition = frames;
        recordHandOver(&p->clock, nowUs, frames);
        ++p->stepsSincePlay;
    }
    // Four buffers without a step: the device is stalled.
    const uint64_t staleUs = uint64_t(bufferFrames) * 4000000u / uint64_t(p->rate);
    const bool known = audibleStartUs(p->clock, p->rate, p->leadFrames, nowUs, staleUs, startUs);
    // Settled half a second of steps after the play: the first step (the
    // jump to the first buffer) has long left the history.
    if (known) *startUs = anchoredStartUs(&p->anchor, *startUs, p->stepsSincePlay > settledSteps);
    LeaveCriticalSection(&p->lock);
    return known;
}

int waveOutLatencyUs(void* user) { return of(user)->device ? outputLeadUs() : 0; }

int waveOutRate(void* user) { return of(user)->device ? of(user)->rate : 0; }

void waveOutSetObserver(void* user, AudioHandOverFn fn) {
    Player* p = of(user);
    if (p->lockReady) EnterCriticalSection(&p->lock);
    p->observer = fn;
    if (p->lockReady) LeaveCriticalSection(&p->lock);
}

void waveOutClose(void* user) {
    Player* p = of(user);
    closeDevice(p);
    endDecodedMusic(p->whole);
    p->whole = nullptr;
    if (p->streamOpen) closeMp3(&p->decoder);
    p->streamOpen = false;
}
}  // namespace

int backendAudioOutputs(const AudioOutput* outputs[], int capacity) {
    static const AudioOutput waveOut = {
        .name = "waveout",
        .user = &waveOutPlayer,
        .open = waveOutOpenOutput,
        .openStream = waveOutOpenStream,
        .play = waveOutPlay,
        .pause = waveOutPauseOutput,
        .setPosition = waveOutSetPosition,
        .recover = nullptr,
        .position = waveOutPosition,
        .audibleStartUs = waveOutAudibleStartUs,
        .latencyUs = waveOutLatencyUs,
        .rate = waveOutRate,
        .setObserver = waveOutSetObserver,
        .close = waveOutClose,
    };
    if (capacity < 1) return 0;
    outputs[0] = &waveOut;
    return 1;
}

int audioCheckStreamFile(const char* path) {
    Mp3Decoder d = {};
    if (!openMp3File(&d, path)) return 0;
    closeMp3(&d);
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
