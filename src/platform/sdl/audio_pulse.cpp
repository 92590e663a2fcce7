// The sound server as the output (PulseAudio, or PipeWire through its pulse
// layer). The stream asks for a short buffer of its own, and the clock is read
// from what the server says is being heard: its timing reports, each dated on
// the system timer by its age. What they say may step back after a stall (the
// demo clock keeps the pictures monotonic).
#include <pthread.h>
#include <pulse/pulseaudio.h>
#include <sched.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

#include "platform/sdl/audio_output.h"
#include "platform/timer.h"

namespace {

// The target buffer: long enough for a busy machine to keep it filled, short
// enough that the server does not take seconds of music in advance (an unset
// target gives its largest buffer, about 2 s).
constexpr pa_usec_t targetBufferUs = 150000;
constexpr pa_usec_t requestUs = 25000;
// How long the server may take to answer a connection or a new stream.
constexpr uint64_t answerWaitUs = 3000000;
// The server reports every 100 ms; a report older than this means it stopped
// (a suspended sink, a busy server), and what it said then is not run on.
constexpr int64_t staleReportUs = 350000;
// While the start is awaited, timing is asked for this often; the server's
// first reports after the stream starts may still put it early, so the zero
// is taken once its reports agree (within startAgreeUs) for startSpanUs.
constexpr uint64_t startQueryUs = 3000;
constexpr int64_t startAgreeUs = 2000;
constexpr uint64_t startSpanUs = 20000;
// A server whose reports move in steps of its processing period (PipeWire's
// pulse layer) may never agree that closely: after this long playing, the
// middle of the recent reports' answers is taken.
constexpr uint64_t startSettleUs = 150000;
enum { startKept = 16, recentUsed = 5 };
// Once playing, reports are asked for this often (the server sends its own
// every 100 ms).
constexpr uint64_t runQueryUs = 50000;

struct PulsePlayer {
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    pa_sample_spec format = {};
    mpg123_handle* decoder = nullptr;
    bool ended = false;
    bool started = false;         // the stream was uncorked
    bool heard = false;           // its first sample was heard
    timeval uncorkedAt = {};      // wall clock when it was uncorked
    timeval lastReportAt = {};    // the last report taken in
    int64_t reportedStartUs = 0;  // where it put the first sample
    uint64_t agreeSinceUs = 0;    // since when the reports agree (0: not)
    uint64_t playingSinceUs = 0;  // the first report that said it plays
    int64_t recentStarts[startKept] = {};
    int recentCount = 0;
    std::atomic<bool> gone{false};  // the server or the stream went away
    bool reported = false;
    uint64_t lastQueryUs = 0;
    AudioHandOverFn observer = nullptr;
    // A new position: the stream's byte where its first sample lies (reports
    // date the stream's bytes from its start), and the writes held while the
    // server drops what it queued before it.
    uint64_t originBytes = 0;
    bool holdWrites = false;
    bool timingAnswered = false;
};

PulsePlayer player;

void onTiming(pa_stream* s, void*);

// One line, once, whatever goes first (the connection or the stream).
void reportGone(const char* what) {
    if (player.reported) return;
    player.reported = true;
    player.gone = true;
    std::fprintf(stderr, "audio: %s (%s); the pictures run on without sound\n", what,
                 pa_strerror(pa_context_errno(player.context)));
}

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

void onContextState(pa_context* c, void*) {
    raiseLoopThread();
    const pa_context_state_t s = pa_context_get_state(c);
    if (s == PA_CONTEXT_FAILED || s == PA_CONTEXT_TERMINATED) {
        if (player.stream) reportGone("the sound server went away");
        player.gone = true;
    }
    pa_threaded_mainloop_signal(player.loop, 0);
}

void onStreamState(pa_stream* s, void*) {
    const pa_stream_state_t st = pa_stream_get_state(s);
    if (st == PA_STREAM_FAILED || st == PA_STREAM_TERMINATED) {
        reportGone("the sound server ended the music stream");
        player.gone = true;
    }
    pa_threaded_mainloop_signal(player.loop, 0);
}

// On the server's request, on the loop's thread: music, then silence after
// its end, so that the stream's time runs on to the demo's end.
void onWritable(pa_stream* s, size_t bytes, void*) {
    if (player.holdWrites) return;
    while (bytes > 0) {
        void* data = nullptr;
        size_t n = bytes;
        if (pa_stream_begin_write(s, &data, &n) < 0 || !data || n == 0) return;
        const size_t frame = pa_frame_size(&player.format);
        size_t got = player.ended ? 0
                                  : decodeSome(player.decoder, static_cast<unsigned char*>(data), n,
                                               &player.ended);
        got -= got % frame;
        if (got < n) std::memset(static_cast<unsigned char*>(data) + got, 0, n - got);
        if (pa_stream_write(s, data, n, nullptr, 0, PA_SEEK_RELATIVE) < 0) return;
        bytes -= n < bytes ? n : bytes;
    }
}

// Waits, with the loop locked, until done() holds or the server fails to
// answer in time. The lock is let go while waiting.
template <typename Done>
bool waitFor(Done done) {
    const uint64_t until = readSystemTimerUs() + answerWaitUs;
    while (!done()) {
        if (player.gone || readSystemTimerUs() > until) return false;
        pa_threaded_mainloop_unlock(player.loop);
        sleepMicroseconds(2000);
        pa_threaded_mainloop_lock(player.loop);
    }
    return true;
}

// Lets the stream go (with the loop locked): silent at once, whatever the
// server still held of it.
void dropStream() {
    if (!player.stream) return;
    pa_stream_set_write_callback(player.stream, nullptr, nullptr);
    pa_stream_set_state_callback(player.stream, nullptr, nullptr);
    pa_stream_set_latency_update_callback(player.stream, nullptr, nullptr);
    pa_stream_disconnect(player.stream);
    pa_stream_unref(player.stream);
    player.stream = nullptr;
}

// What the start of a play has learnt, forgotten: the next play's first
// sample is awaited as the stream's first was.
void forgetStart() {
    player.started = player.heard = false;
    player.lastQueryUs = 0;
    player.lastReportAt = timeval{};
    player.reportedStartUs = 0;
    player.agreeSinceUs = 0;
    player.playingSinceUs = 0;
    player.recentCount = 0;
}

void pulseClose();

int pulseOpen(int /*frequency*/) {
    if (player.loop) return 1;
    player.loop = pa_threaded_mainloop_new();
    if (!player.loop) return 0;
    player.context = pa_context_new(pa_threaded_mainloop_get_api(player.loop), "quelltarn");
    if (!player.context) {
        pulseClose();
        return 0;
    }
    pa_context_set_state_callback(player.context, onContextState, nullptr);
    pa_threaded_mainloop_lock(player.loop);
    // Never start a server of our own: no server answering means SDL's audio.
    bool ok = pa_context_connect(player.context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0 &&
              pa_threaded_mainloop_start(player.loop) >= 0;
    ok = ok && waitFor([] {
             const pa_context_state_t s = pa_context_get_state(player.context);
             if (!PA_CONTEXT_IS_GOOD(s)) player.gone = true;
             return s == PA_CONTEXT_READY;
         });
    pa_threaded_mainloop_unlock(player.loop);
    if (!ok) {
        pulseClose();
        return 0;
    }
    return 1;
}

// A new playback stream for the decoder, corked, with the loop locked. False
// (nothing left of it) when the server refuses it or does not answer in time.
bool connectStream() {
    player.stream = pa_stream_new(player.context, "music", &player.format, nullptr);
    if (!player.stream) return false;
    player.ended = false;
    pa_stream_set_state_callback(player.stream, onStreamState, nullptr);
    pa_stream_set_write_callback(player.stream, onWritable, nullptr);
    pa_stream_set_latency_update_callback(player.stream, onTiming, nullptr);
    pa_buffer_attr attr;
    attr.maxlength = uint32_t(-1);
    attr.tlength = uint32_t(pa_usec_to_bytes(targetBufferUs, &player.format));
    attr.prebuf = uint32_t(-1);
    attr.minreq = uint32_t(pa_usec_to_bytes(requestUs, &player.format));
    attr.fragsize = uint32_t(-1);
    // Filled while corked, so the music starts with a full buffer.
    const pa_stream_flags_t flags = pa_stream_flags_t(
        PA_STREAM_START_CORKED | PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE |
        PA_STREAM_ADJUST_LATENCY | PA_STREAM_NOT_MONOTONIC);
    bool ok = pa_stream_connect_playback(player.stream, nullptr, &attr, flags, nullptr, nullptr) >= 0;
    ok = ok && waitFor([] {
             const pa_stream_state_t s = pa_stream_get_state(player.stream);
             if (!PA_STREAM_IS_GOOD(s)) player.gone = true;
             return s == PA_STREAM_READY;
         });
    if (!ok) dropStream();
    return ok;
}

int pulseOpenStream(mpg123_handle* mh, long rate, int channels) {
    if (!player.loop || player.stream || channels < 1 || channels > 2) return 0;
    player.format = pa_sample_spec{PA_SAMPLE_S16NE, uint32_t(rate), uint8_t(channels)};
    pa_threaded_mainloop_lock(player.loop);
    player.decoder = mh;
    player.originBytes = 0;
    const bool ok = connectStream();
    // On failure the decoder goes back to the caller, which closes it.
    if (!ok) player.decoder = nullptr;
    pa_threaded_mainloop_unlock(player.loop);
    return ok ? 1 : 0;
}

int pulsePlay() {
    if (!player.stream) return 0;
    pa_threaded_mainloop_lock(player.loop);
    // After a pause or a new position the first sample is awaited afresh.
    forgetStart();
    pa_gettimeofday(&player.uncorkedAt);
    if (!player.gone) {
        if (pa_operation* o = pa_stream_cork(player.stream, 0, nullptr, nullptr)) pa_operation_unref(o);
    }
    player.started = true;
    pa_threaded_mainloop_unlock(player.loop);
    return 1;
}

// Corked, the stream stays the server's (the sink keeps the short latency it
// asked for) and the sink gives back what it had not played of it.
int pulsePause() {
    if (!player.stream) return 0;
    pa_threaded_mainloop_lock(player.loop);
    if (!player.gone) {
        if (pa_operation* o = pa_stream_cork(player.stream, 1, nullptr, nullptr)) pa_operation_unref(o);
    }
    forgetStart();
    pa_threaded_mainloop_unlock(player.loop);
    return 1;
}

void onTimingAnswered(pa_stream*, int, void*) {
    player.timingAnswered = true;
    pa_threaded_mainloop_signal(player.loop, 0);
}

// Corked, what the server queued is dropped (its write index goes back to
// its read index, where the corked stream stands) and, once the server says
// where that is, the music from the position is written there.
int pulseSetPosition(uint32_t musicMs) {
    if (!player.stream) return 0;
    pa_threaded_mainloop_lock(player.loop);
    forgetStart();
    player.holdWrites = true;
    bool known = false;
    if (!player.gone) {
        if (pa_operation* o = pa_stream_cork(player.stream, 1, nullptr, nullptr)) pa_operation_unref(o);
        if (pa_operation* o = pa_stream_flush(player.stream, nullptr, nullptr)) pa_operation_unref(o);
        player.timingAnswered = false;
        if (pa_operation* o = pa_stream_update_timing_info(player.stream, onTimingAnswered, nullptr))
            pa_operation_unref(o);
        known = waitFor([] { return player.timingAnswered; });
    }
    const pa_timing_info* t = known ? pa_stream_get_timing_info(player.stream) : nullptr;
    player.originBytes = t && t->read_index > 0 ? uint64_t(t->read_index) : 0;
    const bool moved = seekDecoder(player.decoder, musicMs);
    player.ended = false;
    player.holdWrites = false;
    if (!player.gone) {
        const size_t room = pa_stream_writable_size(player.stream);
        if (room != size_t(-1) && room > 0) onWritable(player.stream, room, nullptr);
    }
    pa_threaded_mainloop_unlock(player.loop);
    return moved ? 1 : 0;
}

// The stream time heard now, 0 while it is not known.
pa_usec_t heardUs() {
    pa_usec_t t = 0;
    if (player.gone || pa_stream_get_time(player.stream, &t) < 0) return 0;
    return t;
}

uint64_t pulsePosition() {
    if (!player.stream) return 0;
    pa_threaded_mainloop_lock(player.loop);
    const pa_usec_t t = heardUs();
    pa_threaded_mainloop_unlock(player.loop);
    return pa_usec_to_bytes(t, &player.format);
}

// Where a report puts the stream's first sample on the system timer: the
// report is dated by its age, and what had played by then is the server's
// read position less what its sink still held. Only reports sent after the
// stream was uncorked that say it plays (not underrun, not suspended) count.
bool reportedStart(const pa_timing_info* r, uint64_t nowUs, int64_t* start) {
    if (!r || !r->playing || r->read_index <= 0 || pa_timeval_cmp(&r->timestamp, &player.uncorkedAt) <= 0)
        return false;
    const pa_usec_t age = pa_timeval_age(&r->timestamp);
    if (int64_t(age) > staleReportUs) return false;
    const int64_t playedUs = int64_t(pa_bytes_to_usec(uint64_t(r->read_index), &player.format)) +
                             int64_t(r->transport_usec) - int64_t(r->sink_usec);
    *start = int64_t(nowUs) - int64_t(age) - playedUs;
    return true;
}

// At every timing report: what is heard now, for measurements.
void onTiming(pa_stream* s, void*) {
    if (!player.observer) return;
    const uint64_t nowUs = readSystemTimerUs();
    int64_t start = 0;
    if (!reportedStart(pa_stream_get_timing_info(s), nowUs, &start)) return;
    start += int64_t(pa_bytes_to_usec(player.originBytes, &player.format));
    if (int64_t(nowUs) <= start) return;
    player.observer(nowUs, uint64_t(int64_t(nowUs) - start) * player.format.rate / 1000000u);
}

int64_t middleOfRecent(int count) {
    int64_t sorted[startKept];
    const int n = count < player.recentCount ? count : player.recentCount;
    for (int i = 0; i < n; ++i)
        sorted[i] = player.recentStarts[(player.recentCount - 1 - i) % startKept];
    std::nth_element(sorted, sorted + n / 2, sorted + n);
    return sorted[n / 2];
}

// At the start: whether the reports agree on when the first sample was heard
// for long enough (or, on a server that reports in steps, have settled).
bool startAgreed(int64_t start, uint64_t nowUs) {
    const int64_t diff = start - player.reportedStartUs;
    player.reportedStartUs = start;
    if (player.playingSinceUs == 0) player.playingSinceUs = nowUs;
    if (nowUs - player.playingSinceUs >= startSettleUs && player.recentCount >= startKept) {
        player.reportedStartUs = middleOfRecent(startKept);
        return true;
    }
    if (diff > startAgreeUs || diff < -startAgreeUs) {
        player.agreeSinceUs = 0;
        return false;
    }
    if (player.agreeSinceUs == 0) player.agreeSinceUs = nowUs;
    return nowUs - player.agreeSinceUs >= startSpanUs;
}

// The server's reports themselves, not libpulse's smoothed time: after an
// underrun that eases back over seconds, while each report says where the
// music is. A report's answer jitters by the sink's period; the middle of the
// last few answers is taken.
int pulseAudibleStartUs(int64_t* startUs) {
    if (!player.stream || !player.started) return 0;
    pa_threaded_mainloop_lock(player.loop);
    const uint64_t nowUs = readSystemTimerUs();
    const pa_timing_info* report = player.gone ? nullptr : pa_stream_get_timing_info(player.stream);
    int64_t start = 0;
    const bool playing = reportedStart(report, nowUs, &start);
    bool known = false;
    if (playing && pa_timeval_cmp(&report->timestamp, &player.lastReportAt) != 0) {
        player.lastReportAt = report->timestamp;
        player.recentStarts[player.recentCount++ % startKept] = start;
        if (!player.heard && startAgreed(start, nowUs)) {
            player.heard = true;
            // The answers before the agreement may be early: start afresh.
            player.recentCount = 0;
            player.recentStarts[player.recentCount++] = player.reportedStartUs;
        }
    }
    if (player.heard && playing) {
        known = true;
        start = middleOfRecent(recentUsed);
    }
    // Ask often until the start is known, then a little more often than the
    // server's own updates.
    const uint64_t every = player.heard ? runQueryUs : startQueryUs;
    if (!player.gone && nowUs - player.lastQueryUs >= every) {
        player.lastQueryUs = nowUs;
        if (pa_operation* o = pa_stream_update_timing_info(player.stream, nullptr, nullptr))
            pa_operation_unref(o);
    }
    pa_threaded_mainloop_unlock(player.loop);
    if (known) *startUs = start + int64_t(pa_bytes_to_usec(player.originBytes, &player.format));
    return known ? 1 : 0;
}

// The server's answers are what is heard; nothing sits in front of them.
int pulseLatencyUs() { return 0; }

int pulseRate() { return player.stream ? int(player.format.rate) : 0; }

void pulseSetObserver(AudioHandOverFn fn) {
    if (!player.loop) return;
    pa_threaded_mainloop_lock(player.loop);
    player.observer = fn;
    pa_threaded_mainloop_unlock(player.loop);
}

void pulseClose() {
    if (!player.loop) return;
    pa_threaded_mainloop_lock(player.loop);
    dropStream();
    if (player.context) {
        pa_context_set_state_callback(player.context, nullptr, nullptr);
        pa_context_disconnect(player.context);
        pa_context_unref(player.context);
    }
    pa_threaded_mainloop_unlock(player.loop);
    pa_threaded_mainloop_stop(player.loop);
    pa_threaded_mainloop_free(player.loop);
    closeDecoder(player.decoder);
    player.loop = nullptr;
    player.context = nullptr;
    player.decoder = nullptr;
    forgetStart();
    player.reported = false;
    player.gone = false;
    player.observer = nullptr;
    player.originBytes = 0;
    player.holdWrites = false;
}

}  // namespace

const AudioOutput pulseAudioOutput = {
    "pulseaudio", pulseOpen, pulseOpenStream, pulsePlay, pulsePause, pulseSetPosition,
    pulsePosition, pulseAudibleStartUs,
    pulseLatencyUs, pulseRate, pulseSetObserver, pulseClose,
};
