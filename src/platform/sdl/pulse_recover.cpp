// The way back after the sound server went away while the music played (it
// was killed, restarted, its sink removed): now and then, without blocking,
// a new connection, then a new stream. Once the server takes it, the player
// is told, and the music is put where the pictures are and played.
#include "platform/sdl/audio_pulse.h"

namespace {
// How often the server is called again.
constexpr uint64_t retryUs = 500000;

// One step on the way back; true once the new stream is ready.
bool stepBack(PulsePlayer* p, uint64_t nowUs) {
    // What failed is let go: a stream the server ended, a connection it lost.
    if (p->stream && !PA_STREAM_IS_GOOD(pa_stream_get_state(p->stream))) dropPulseStream(p);
    if (p->context && !PA_CONTEXT_IS_GOOD(pa_context_get_state(p->context))) {
        dropPulseStream(p);
        dropPulseContext(p);
    }
    if (p->stream) return pulseStreamReady(p);
    // A connection, and on it a stream, each tried again retryUs after the last.
    if (!p->context) {
        if (nowUs < p->nextTryUs) return false;
        p->nextTryUs = nowUs + retryUs;
        if (!newPulseContext(p)) dropPulseContext(p);
        return false;
    }
    if (pa_context_get_state(p->context) == PA_CONTEXT_READY && nowUs >= p->nextStreamUs) {
        p->nextStreamUs = nowUs + retryUs;
        p->gone = false;
        if (!newPulseStream(p)) dropPulseStream(p);
    }
    return false;
}
}  // namespace

bool recoverPulse(void* user) {
    PulsePlayer* p = pulseOf(user);
    if (!p->loop || !p->lost) return false;
    pa_threaded_mainloop_lock(p->loop);
    const bool back = stepBack(p, readSystemTimerUs());
    if (back) {
        // Back, corked: a later loss is said again.
        p->lost = false;
        p->reported = false;
        p->gone = false;
        p->started = false;
    }
    pa_threaded_mainloop_unlock(p->loop);
    return back;
}
