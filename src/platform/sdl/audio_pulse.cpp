// The sound server as the output (PulseAudio, or PipeWire through its pulse
// layer). The stream asks for a short buffer of its own, and the clock is read
// from what the server says is being heard: its timing reports, interpolated
// between updates on the same monotonic clock as the system timer. That time
// may step back after a stall (the demo clock keeps the pictures monotonic).
#include <pulse/pulseaudio.h>

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
// Heard time that stands still this long while the timer runs: the server
// stopped playing us (a suspended sink, an underrun), and the clock runs on.
constexpr uint64_t stallUs = 150000;
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
enum { startKept = 16 };

struct PulsePlayer {
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    pa_sample_spec spec = {};
    mpg123_handle* decoder = nullptr;
    bool ended = false;
    bool started = false;         // the stream was uncorked
    bool heard = false;           // its first sample was heard
    timeval uncorkedAt = {};      // wall clock when it was uncorked
    timeval lastReportAt = {};    // the last report looked at while starting
    int64_t reportedStartUs = 0;  // where it put the first sample
    uint64_t agreeSinceUs = 0;    // since when the reports agree (0: not)
    uint64_t playingSinceUs = 0;  // the first report that said it plays
    int64_t recentStarts[startKept] = {};
    int recentCount = 0;
    std::atomic<bool> gone{false};  // the server or the stream went away
    bool reported = false;
    pa_usec_t lastHeardUs = 0;    // stream time at the last reading
    uint64_t lastAdvanceUs = 0;   // system timer when it last moved
    uint64_t lastQueryUs = 0;
    AudioHandOverFn observer = nullptr;
};

PulsePlayer player;

// One line, once, whatever goes first (the connection or the stream).
void reportGone(const char* what) {
    if (player.reported) return;
    player.reported = true;
    player.gone = true;
    std::fprintf(stderr, "audio: %s (%s); the pictures run on without sound\n", what,
                 pa_strerror(pa_context_errno(player.context)));
}

void onContextState(pa_context* c, void*) {
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
    while (bytes > 0) {
        void* data = nullptr;
        size_t n = bytes;
        if (pa_stream_begin_write(s, &data, &n) < 0 || !data || n == 0) return;
        const size_t frame = pa_frame_size(&player.spec);
        size_t got = player.ended ? 0
                                  : decodeSome(player.decoder, static_cast<unsigned char*>(data), n,
                                               &player.ended);
        got -= got % frame;
        if (got < n) std::memset(static_cast<unsigned char*>(data) + got, 0, n - got);
        if (pa_stream_write(s, data, n, nullptr, 0, PA_SEEK_RELATIVE) < 0) return;
        bytes -= n < bytes ? n : bytes;
    }
}

// At every timing report: what is heard now, for measurements.
void onTiming(pa_stream* s, void*) {
    if (!player.observer) return;
    pa_usec_t t = 0;
    if (pa_stream_get_time(s, &t) < 0 || t == 0) return;
    player.observer(readSystemTimerUs(), uint64_t(t) * player.spec.rate / 1000000u);
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

int pulseOpenStream(mpg123_handle* mh, long rate, int channels) {
    if (!player.loop || player.stream || channels < 1 || channels > 2) return 0;
    player.spec = pa_sample_spec{PA_SAMPLE_S16NE, uint32_t(rate), uint8_t(channels)};
    pa_threaded_mainloop_lock(player.loop);
    player.stream = pa_stream_new(player.context, "music", &player.spec, nullptr);
    if (!player.stream) {
        pa_threaded_mainloop_unlock(player.loop);
        return 0;
    }
    player.decoder = mh;
    player.ended = false;
    pa_stream_set_state_callback(player.stream, onStreamState, nullptr);
    pa_stream_set_write_callback(player.stream, onWritable, nullptr);
    pa_stream_set_latency_update_callback(player.stream, onTiming, nullptr);
    pa_buffer_attr attr;
    attr.maxlength = uint32_t(-1);
    attr.tlength = uint32_t(pa_usec_to_bytes(targetBufferUs, &player.spec));
    attr.prebuf = uint32_t(-1);
    attr.minreq = uint32_t(pa_usec_to_bytes(requestUs, &player.spec));
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
    if (!ok) {
        // The decoder goes back to the caller, which closes it.
        player.decoder = nullptr;
        pa_stream_set_write_callback(player.stream, nullptr, nullptr);
        pa_stream_disconnect(player.stream);
        pa_stream_unref(player.stream);
        player.stream = nullptr;
    }
    pa_threaded_mainloop_unlock(player.loop);
    return ok ? 1 : 0;
}

int pulsePlay() {
    if (!player.stream) return 0;
    pa_threaded_mainloop_lock(player.loop);
    pa_gettimeofday(&player.uncorkedAt);
    if (!player.gone) {
        if (pa_operation* o = pa_stream_cork(player.stream, 0, nullptr, nullptr)) pa_operation_unref(o);
    }
    player.started = true;
    pa_threaded_mainloop_unlock(player.loop);
    return 1;
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
    return pa_usec_to_bytes(t, &player.spec);
}

// At the start: whether the server's reports since the stream was uncorked
// say it plays and agree on when its first sample was heard, for long enough.
// Each report is dated on the system timer by its age.
bool reportsAgree(const pa_timing_info* r, uint64_t nowUs) {
    if (!r || !r->playing || r->read_index <= 0 || pa_timeval_cmp(&r->timestamp, &player.uncorkedAt) <= 0)
        return false;
    if (pa_timeval_cmp(&r->timestamp, &player.lastReportAt) == 0) return false;
    player.lastReportAt = r->timestamp;
    const int64_t reportUs = int64_t(nowUs) - int64_t(pa_timeval_age(&r->timestamp));
    const int64_t playedUs = int64_t(pa_bytes_to_usec(uint64_t(r->read_index), &player.spec)) +
                             int64_t(r->transport_usec) - int64_t(r->sink_usec);
    const int64_t start = reportUs - playedUs;
    const int64_t diff = start - player.reportedStartUs;
    player.reportedStartUs = start;
    if (player.playingSinceUs == 0) player.playingSinceUs = nowUs;
    player.recentStarts[player.recentCount++ % startKept] = start;
    if (nowUs - player.playingSinceUs >= startSettleUs && player.recentCount >= startKept) {
        int64_t sorted[startKept];
        std::copy(player.recentStarts, player.recentStarts + startKept, sorted);
        std::nth_element(sorted, sorted + startKept / 2, sorted + startKept);
        player.reportedStartUs = sorted[startKept / 2];
        return true;
    }
    if (diff > startAgreeUs || diff < -startAgreeUs) {
        player.agreeSinceUs = 0;
        return false;
    }
    if (player.agreeSinceUs == 0) player.agreeSinceUs = nowUs;
    return nowUs - player.agreeSinceUs >= startSpanUs;
}

int pulseAudibleStartUs(int64_t* startUs) {
    if (!player.stream || !player.started) return 0;
    pa_threaded_mainloop_lock(player.loop);
    const uint64_t nowUs = readSystemTimerUs();
    const pa_usec_t t = heardUs();
    bool known = t > 0;
    const pa_timing_info* report = player.gone ? nullptr : pa_stream_get_timing_info(player.stream);
    if (!report || pa_timeval_age(&report->timestamp) > staleReportUs) known = false;
    if (!player.heard) known = reportsAgree(report, nowUs) && known;
    if (!player.heard && !player.gone && nowUs - player.lastQueryUs >= startQueryUs) {
        // Until the first sample is heard, ask often: the zero is taken from
        // the first reports that say the music plays, and agree.
        player.lastQueryUs = nowUs;
        if (pa_operation* o = pa_stream_update_timing_info(player.stream, nullptr, nullptr))
            pa_operation_unref(o);
    }
    if (known) {
        if (t != player.lastHeardUs) {
            player.lastHeardUs = t;
            player.lastAdvanceUs = nowUs;
        } else if (nowUs - player.lastAdvanceUs > stallUs) {
            known = false;  // stalled: tells nothing about now
        }
    }
    pa_threaded_mainloop_unlock(player.loop);
    if (known) *startUs = player.heard ? int64_t(nowUs) - int64_t(t) : player.reportedStartUs;
    if (known) player.heard = true;
    return known ? 1 : 0;
}

// The server's answers are what is heard; nothing sits in front of them.
int pulseLatencyUs() { return 0; }

int pulseRate() { return player.stream ? int(player.spec.rate) : 0; }

void pulseSetObserver(AudioHandOverFn fn) {
    if (!player.loop) return;
    pa_threaded_mainloop_lock(player.loop);
    player.observer = fn;
    pa_threaded_mainloop_unlock(player.loop);
}

void pulseClose() {
    if (!player.loop) return;
    pa_threaded_mainloop_lock(player.loop);
    if (player.stream) {
        pa_stream_set_write_callback(player.stream, nullptr, nullptr);
        pa_stream_set_state_callback(player.stream, nullptr, nullptr);
        pa_stream_set_latency_update_callback(player.stream, nullptr, nullptr);
        pa_stream_disconnect(player.stream);
        pa_stream_unref(player.stream);
    }
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
    player.stream = nullptr;
    player.decoder = nullptr;
    player.started = player.heard = player.reported = false;
    player.gone = false;
    player.lastHeardUs = player.lastAdvanceUs = player.lastQueryUs = 0;
    player.lastReportAt = timeval{};
    player.reportedStartUs = 0;
    player.agreeSinceUs = 0;
    player.playingSinceUs = 0;
    player.recentCount = 0;
    player.observer = nullptr;
}

}  // namespace

const AudioOutput pulseAudioOutput = {
    "pulseaudio", pulseOpen, pulseOpenStream, pulsePlay, pulsePosition, pulseAudibleStartUs,
    pulseLatencyUs, pulseRate, pulseSetObserver, pulseClose,
};
