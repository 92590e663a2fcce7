#pragma once
#include <mpg123.h>
#include <pulse/pulseaudio.h>

#include <atomic>
#include <cstdint>

#include "platform/audio.h"
#include "platform/audio_server_clock.h"
#include "platform/timer.h"

// The sound server's output (audio_pulse.cpp) and its way back after the
// server went away (pulse_recover.cpp): the record they share and the steps
// both take. Everything here runs with the loop locked, but pulseOf.
struct PulsePlayer {
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    bool streamReady = false;  // the server took the stream (a later end is a loss)
    pa_sample_spec format = {};
    mpg123_handle* decoder = nullptr;
    bool ended = false;
    bool started = false;       // the stream was uncorked
    timeval uncorkedAt = {};    // wall clock when it was uncorked
    ServerClock clock = {};     // what the reports since then said
    std::atomic<bool> gone{false};  // the server or the stream went away (or refused)
    bool reported = false;      // the loss was said
    // The server went away while the music played (set on the loop's thread,
    // looked at every frame without the lock).
    std::atomic<bool> lost{false};
    uint64_t nextTryUs = 0;     // when to call it again
    uint64_t nextStreamUs = 0;  // when to ask it for a stream again
    uint64_t lastQueryUs = 0;
    AudioHandOverFn observer = nullptr;
    // A new position: the stream's byte where its first sample lies (reports
    // date the stream's bytes from its start), and the writes held while the
    // server drops what it queued before it.
    uint64_t originBytes = 0;
    bool holdWrites = false;
    bool timingAnswered = false;
};

PulsePlayer* pulseOf(void* user);

// Says once that the server or the stream went away, and marks it lost.
void reportPulseLoss(PulsePlayer* p, const char* what);
// A context connecting to the default server; false when it cannot even try.
bool newPulseContext(PulsePlayer* p);
void dropPulseContext(PulsePlayer* p);
// A corked playback stream for the decoder, connecting; false when refused at once.
bool newPulseStream(PulsePlayer* p);
// Whether the stream is ready (marks it gone where the server refused it).
bool pulseStreamReady(PulsePlayer* p);
void dropPulseStream(PulsePlayer* p);

// The output's recover call: see audio_output.h.
bool recoverPulse(void* user);

// Waits, with the loop locked, until done() holds or the server fails to
// answer in time (3 s). The lock is let go while waiting.
template <typename Done>
bool waitForPulse(PulsePlayer* p, Done done) {
    const uint64_t until = readSystemTimerUs() + 3000000;
    while (!done()) {
        if (p->gone || readSystemTimerUs() > until) return false;
        pa_threaded_mainloop_unlock(p->loop);
        sleepMicroseconds(2000);
        pa_threaded_mainloop_lock(p->loop);
    }
    return true;
}
