// The sound server as the output (PulseAudio, or PipeWire through its pulse
// layer). The stream asks for a short buffer of its own, and the clock is read
// from what the server says is being heard: its timing reports, each dated on
// the system timer by its age (platform/audio_server_clock.h). What they say
// may step back after a stall (the demo clock keeps the pictures monotonic).
// A server that goes away while the music plays is called again now and then
// (pulse_recover.cpp); the music then plays on from where the pictures are.
#include "platform/sdl/audio_pulse.h"

#include <pthread.h>
#include <sched.h>

#include <cstring>

#include "platform/sdl/audio_outputs.h"
#include "platform/sdl/mp3_decoder.h"
#include "platform/timer.h"

namespace {

// The target buffer: long enough for a busy machine to keep it filled, short
// enough that the server does not take seconds of music in advance (an unset
// target gives its largest buffer, about 2 s).
constexpr pa_usec_t targetBufferUs = 150000;
constexpr pa_usec_t requestUs = 25000;
// While the start is awaited, timing is asked for this often; once playing,
// a little more often than the server's own reports (every 100 ms).
constexpr uint64_t startQueryUs = 3000;
constexpr uint64_t runQueryUs = 50000;

PulsePlayer pulsePlayer;

// The thread that feeds the server and takes its timing reports runs ahead of
// ordinary work where the system lets it (as the desktops' sound clients do
// through their real-time service), so a busy machine neither lets the music
// run dry nor dates the reports late. Without the right it runs as it is.
void raiseLoopThread() {
    // Once for each loop thread: a player opened again runs a new one.
    thread_local bool raised = false;
    if (raised) return;
    raised = true;
    // The lowest real-time priorities, where PulseAudio's own daemon puts
    // itself by default (realtime-priority = 5): before every ordinary thread,
    // never ahead of the server it feeds.
    sched_param param = {};
    param.sched_priority = 5;
    pthread_setschedparam(pthread_self(), SCHED_RR, &param);
}

void onContextState(pa_context* c, void* user) {
    PulsePlayer* p = pulseOf(user);
    raiseLoopThread();
    const pa_context_state_t s = pa_context_get_state(c);
    if (s == PA_CONTEXT_FAILED || s == PA_CONTEXT_TERMINATED) {
        if (p->streamReady) reportPulseLoss(p, "the sound server went away");
        p->gone = true;
    }
    pa_threaded_mainloop_signal(p->loop, 0);
}

void onStreamState(pa_stream* s, void* user) {
    PulsePlayer* p = pulseOf(user);
    const pa_stream_state_t st = pa_stream_get_state(s);
    if (st == PA_STREAM_FAILED || st == PA_STREAM_TERMINATED) {
        // A stream refused before it was ready is its opener's to report.
        if (p->streamReady) reportPulseLoss(p, "the sound server ended the music stream");
        p->gone = true;
    }
    pa_threaded_mainloop_signal(p->loop, 0);
}

// On the server's request, on the loop's thread: music, then silence after
// its end, so that the stream's time runs on to the demo's end.
void onWritable(pa_stream* s, size_t bytes, void* user) {
    PulsePlayer* p = pulseOf(user);
    if (p->holdWrites) return;
    while (bytes > 0) {
        void* data = nullptr;
        size_t n = bytes;
        if (pa_stream_begin_write(s, &data, &n) < 0 || !data || n == 0) return;
        const size_t frame = pa_frame_size(&p->format);
        size_t got = p->ended ? 0
                              : decodeSome(p->decoder, static_cast<unsigned char*>(data), n, &p->ended);
        got -= got % frame;
        if (got < n) std::memset(static_cast<unsigned char*>(data) + got, 0, n - got);
        if (pa_stream_write(s, data, n, nullptr, 0, PA_SEEK_RELATIVE) < 0) return;
        bytes -= n < bytes ? n : bytes;
    }
}

// The report the server sent last, as the start estimator takes it.
TimingReport latestReport(const PulsePlayer* p) {
    TimingReport r = {};
    const pa_timing_info* t = p->gone ? nullptr : pa_stream_get_timing_info(p->stream);
    if (!t) return r;
    r.madeUs = pa_timeval_load(&t->timestamp);
    r.ageUs = pa_timeval_age(&t->timestamp);
    r.heardUs = int64_t(pa_bytes_to_usec(uint64_t(t->read_index > 0 ? t->read_index : 0), &p->format)) +
                int64_t(t->transport_usec) - int64_t(t->sink_usec);
    // Only reports sent after the stream was uncorked that say it plays (not
    // underrun, not suspended) count.
    r.playing = t->playing && t->read_index > 0 && pa_timeval_cmp(&t->timestamp, &p->uncorkedAt) > 0;
    return r;
}

int64_t originUs(const PulsePlayer* p) { return int64_t(pa_bytes_to_usec(p->originBytes, &p->format)); }

// At every timing report: what is heard now, for measurements.
void onTiming(pa_stream*, void* user) {
    PulsePlayer* p = pulseOf(user);
    if (!p->observer) return;
    const uint64_t nowUs = readSystemTimerUs();
    int64_t start = 0;
    if (!serverReportStart(latestReport(p), nowUs, &start)) return;
    start += originUs(p);
    if (int64_t(nowUs) <= start) return;
    p->observer(nowUs, uint64_t(int64_t(nowUs) - start) * p->format.rate / 1000000u);
}

// What the start of a play has learnt, forgotten: the next play's first
// sample is awaited as the stream's first was.
void forgetStart(PulsePlayer* p) {
    p->started = false;
    p->lastQueryUs = 0;
    p->clock = ServerClock{};
}

void cork(PulsePlayer* p, int corked) {
    if (p->gone) return;
    if (pa_operation* o = pa_stream_cork(p->stream, corked, nullptr, nullptr)) pa_operation_unref(o);
}

AudioFault pulseOpen(void* user, int /*frequency*/) {
    PulsePlayer* p = pulseOf(user);
    if (p->loop) return AudioFault::none;
    p->loop = pa_threaded_mainloop_new();
    if (!p->loop) return sayAudioFault(AudioFault::output, "no sound server: out of memory");
    bool ok = pa_threaded_mainloop_start(p->loop) >= 0;
    pa_threaded_mainloop_lock(p->loop);
    ok = ok && newPulseContext(p);
    ok = ok && waitForPulse(p, [p] {
             const pa_context_state_t s = pa_context_get_state(p->context);
             if (!PA_CONTEXT_IS_GOOD(s)) p->gone = true;
             return s == PA_CONTEXT_READY;
         });
    const int err = p->context ? pa_context_errno(p->context) : PA_ERR_INTERNAL;
    pa_threaded_mainloop_unlock(p->loop);
    if (ok) return AudioFault::none;
    // SDL's audio plays instead: this line says why the server does not.
    return sayAudioFault(AudioFault::output, "no sound server (%s)",
                         p->gone ? pa_strerror(err) : "it does not answer");
}

AudioFault pulseOpenStream(void* user, const char* path) {
    PulsePlayer* p = pulseOf(user);
    if (!p->loop || p->stream) return AudioFault::output;
    long rate = 0;
    int channels = 0;
    mpg123_handle* mh = openCheckedStream(path, &rate, &channels);
    if (!mh) return AudioFault::stream;
    if (channels < 1 || channels > 2) {
        closeDecoder(mh);
        return sayAudioFault(AudioFault::stream, "%s has %d channels", path, channels);
    }
    p->format = pa_sample_spec{PA_SAMPLE_S16NE, uint32_t(rate), uint8_t(channels)};
    pa_threaded_mainloop_lock(p->loop);
    p->decoder = mh;
    p->originBytes = 0;
    const bool ok = !p->gone && newPulseStream(p) && waitForPulse(p, [p] { return pulseStreamReady(p); });
    const int err = pa_context_errno(p->context);
    if (!ok) {
        dropPulseStream(p);
        p->decoder = nullptr;
    }
    pa_threaded_mainloop_unlock(p->loop);
    if (ok) return AudioFault::none;
    closeDecoder(mh);
    sdlAudioSkipsSoundServer();
    return sayAudioFault(AudioFault::output, "the sound server refused the music stream (%s)",
                         p->gone ? pa_strerror(err) : "it does not answer");
}

AudioFault pulsePlay(void* user) {
    PulsePlayer* p = pulseOf(user);
    if (!p->stream && !p->lost) return AudioFault::output;
    pa_threaded_mainloop_lock(p->loop);
    // After a pause or a new position the first sample is awaited afresh.
    forgetStart(p);
    pa_gettimeofday(&p->uncorkedAt);
    if (p->stream) cork(p, 0);
    p->started = true;
    pa_threaded_mainloop_unlock(p->loop);
    return AudioFault::none;
}

// Corked, the stream stays the server's (the sink keeps the short latency it
// asked for) and the sink gives back what it had not played of it.
AudioFault pulsePause(void* user) {
    PulsePlayer* p = pulseOf(user);
    if (!p->stream && !p->lost) return AudioFault::output;
    pa_threaded_mainloop_lock(p->loop);
    if (p->stream) cork(p, 1);
    forgetStart(p);
    pa_threaded_mainloop_unlock(p->loop);
    return AudioFault::none;
}

void onTimingAnswered(pa_stream*, int, void* user) {
    PulsePlayer* p = pulseOf(user);
    p->timingAnswered = true;
    pa_threaded_mainloop_signal(p->loop, 0);
}

// Corked, what the server queued is dropped (its write index goes back to
// its read index, where the corked stream stands) and, once the server says
// where that is, the music from the position is written there.
AudioFault pulseSetPosition(void* user, uint32_t musicMs) {
    PulsePlayer* p = pulseOf(user);
    if (!p->decoder) return AudioFault::output;
    pa_threaded_mainloop_lock(p->loop);
    forgetStart(p);
    p->holdWrites = true;
    bool known = false;
    if (p->stream && !p->gone) {
        cork(p, 1);
        if (pa_operation* o = pa_stream_flush(p->stream, nullptr, nullptr)) pa_operation_unref(o);
        p->timingAnswered = false;
        if (pa_operation* o = pa_stream_update_timing_info(p->stream, onTimingAnswered, p))
            pa_operation_unref(o);
        known = waitForPulse(p, [p] { return p->timingAnswered; });
    }
    const pa_timing_info* t = known ? pa_stream_get_timing_info(p->stream) : nullptr;
    p->originBytes = t && t->read_index > 0 ? uint64_t(t->read_index) : 0;
    const bool moved = seekDecoder(p->decoder, musicMs);
    p->ended = false;
    p->holdWrites = false;
    if (p->stream && !p->gone) {
        const size_t room = pa_stream_writable_size(p->stream);
        if (room != size_t(-1) && room > 0) onWritable(p->stream, room, p);
    }
    pa_threaded_mainloop_unlock(p->loop);
    return audioMoved(moved, musicMs);
}

uint64_t pulsePosition(void* user) {
    PulsePlayer* p = pulseOf(user);
    if (!p->stream) return 0;
    pa_threaded_mainloop_lock(p->loop);
    pa_usec_t t = 0;
    if (p->gone || pa_stream_get_time(p->stream, &t) < 0) t = 0;
    pa_threaded_mainloop_unlock(p->loop);
    return pa_usec_to_bytes(t, &p->format);
}

// The server's reports themselves, not libpulse's smoothed time: after an
// underrun that eases back over seconds, while each report says where the
// music is.
bool pulseAudibleStartUs(void* user, int64_t* startUs) {
    PulsePlayer* p = pulseOf(user);
    if (!p->stream || !p->started) return false;
    pa_threaded_mainloop_lock(p->loop);
    const uint64_t nowUs = readSystemTimerUs();
    int64_t start = 0;
    const bool known = !p->gone && takeTimingReport(&p->clock, latestReport(p), nowUs, &start);
    // Ask often until the start is known, then a little more often than the
    // server's own updates.
    const uint64_t every = p->clock.heard ? runQueryUs : startQueryUs;
    if (!p->gone && nowUs - p->lastQueryUs >= every) {
        p->lastQueryUs = nowUs;
        if (pa_operation* o = pa_stream_update_timing_info(p->stream, nullptr, nullptr))
            pa_operation_unref(o);
    }
    pa_threaded_mainloop_unlock(p->loop);
    if (known) *startUs = start + originUs(p);
    return known;
}

// The server's answers are what is heard; nothing sits in front of them.
int pulseLatencyUs(void*) { return 0; }

int pulseRate(void* user) { return pulseOf(user)->decoder ? int(pulseOf(user)->format.rate) : 0; }

void pulseSetObserver(void* user, AudioHandOverFn fn) {
    PulsePlayer* p = pulseOf(user);
    if (!p->loop) return;
    pa_threaded_mainloop_lock(p->loop);
    p->observer = fn;
    pa_threaded_mainloop_unlock(p->loop);
}

void pulseClose(void* user) {
    PulsePlayer* p = pulseOf(user);
    if (!p->loop) return;
    pa_threaded_mainloop_lock(p->loop);
    dropPulseStream(p);
    dropPulseContext(p);
    pa_threaded_mainloop_unlock(p->loop);
    pa_threaded_mainloop_stop(p->loop);
    pa_threaded_mainloop_free(p->loop);
    closeDecoder(p->decoder);
    p->loop = nullptr;
    p->decoder = nullptr;
    forgetStart(p);
    p->reported = false;
    p->gone = false;
    p->lost = false;
    p->nextTryUs = 0;
    p->nextStreamUs = 0;
    p->observer = nullptr;
    p->originBytes = 0;
    p->holdWrites = false;
}

}  // namespace

PulsePlayer* pulseOf(void* user) { return static_cast<PulsePlayer*>(user); }

// One line, once for each loss, whatever goes first (the connection or the
// stream); the player then calls the server again now and then.
void reportPulseLoss(PulsePlayer* p, const char* what) {
    if (!p->reported)
        sayAudioFault(AudioFault::output, "%s (%s); the pictures run on without sound", what,
                      pa_strerror(pa_context_errno(p->context)));
    p->reported = true;
    p->gone = true;
    p->lost = true;
}

bool newPulseContext(PulsePlayer* p) {
    p->context = pa_context_new(pa_threaded_mainloop_get_api(p->loop), "quelltarn");
    if (!p->context) return false;
    pa_context_set_state_callback(p->context, onContextState, p);
    p->gone = false;
    // Never start a server of our own: no server answering means SDL's audio.
    if (pa_context_connect(p->context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        p->gone = true;
        return false;
    }
    return true;
}

void dropPulseContext(PulsePlayer* p) {
    if (!p->context) return;
    pa_context_set_state_callback(p->context, nullptr, nullptr);
    pa_context_disconnect(p->context);
    pa_context_unref(p->context);
    p->context = nullptr;
}

bool newPulseStream(PulsePlayer* p) {
    p->streamReady = false;
    p->stream = pa_stream_new(p->context, "music", &p->format, nullptr);
    if (!p->stream) return false;
    p->ended = false;
    pa_stream_set_state_callback(p->stream, onStreamState, p);
    pa_stream_set_write_callback(p->stream, onWritable, p);
    pa_stream_set_latency_update_callback(p->stream, onTiming, p);
    pa_buffer_attr attr;
    attr.maxlength = uint32_t(-1);
    attr.tlength = uint32_t(pa_usec_to_bytes(targetBufferUs, &p->format));
    attr.prebuf = uint32_t(-1);
    attr.minreq = uint32_t(pa_usec_to_bytes(requestUs, &p->format));
    attr.fragsize = uint32_t(-1);
    // Filled while corked, so the music starts with a full buffer.
    const pa_stream_flags_t flags = pa_stream_flags_t(
        PA_STREAM_START_CORKED | PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE |
        PA_STREAM_ADJUST_LATENCY | PA_STREAM_NOT_MONOTONIC);
    return pa_stream_connect_playback(p->stream, nullptr, &attr, flags, nullptr, nullptr) >= 0;
}

bool pulseStreamReady(PulsePlayer* p) {
    if (!p->stream) return false;
    const pa_stream_state_t s = pa_stream_get_state(p->stream);
    if (!PA_STREAM_IS_GOOD(s)) p->gone = true;
    if (s == PA_STREAM_READY) p->streamReady = true;
    return p->streamReady;
}

void dropPulseStream(PulsePlayer* p) {
    if (!p->stream) return;
    p->streamReady = false;
    pa_stream_set_write_callback(p->stream, nullptr, nullptr);
    pa_stream_set_state_callback(p->stream, nullptr, nullptr);
    pa_stream_set_latency_update_callback(p->stream, nullptr, nullptr);
    pa_stream_disconnect(p->stream);
    pa_stream_unref(p->stream);
    p->stream = nullptr;
}

const AudioOutput pulseAudioOutput = {
    .name = "pulseaudio",
    .user = &pulsePlayer,
    .open = pulseOpen,
    .openStream = pulseOpenStream,
    .play = pulsePlay,
    .pause = pulsePause,
    .setPosition = pulseSetPosition,
    .recover = recoverPulse,
    .position = pulsePosition,
    .audibleStartUs = pulseAudibleStartUs,
    .latencyUs = pulseLatencyUs,
    .rate = pulseRate,
    .setObserver = pulseSetObserver,
    .close = pulseClose,
};
