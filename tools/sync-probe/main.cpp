// demo-sync-probe: plays the soundtrack through the demo's own music start-up
// and clock, and compares the music time every frame would draw with the
// sample the audio device says it is playing at that moment. No window is
// opened.
//
//   demo-sync-probe [--seconds N] [--uncompensated] [--check] [--log FILE] [--data DIR]
//                   [--pause AT,FOR]... [--seek AT,TO]...
//
// --pause AT,FOR and --seek AT,TO pause the music or move it, as the demo's
// keys do, when the music time drawn reaches AT (in the order given): the
// log then shows what the clock did after each.
// --uncompensated takes the clock's zero when the stream is started and never
// follows the device, as the demo once did. It prints its figures against the
// goal and the CI gate (sync_report.h); --check exits 3 when the gate is
// missed: more than 5 % of the frames off by over 25 ms, the first second
// off, or the offset drifting by over 25 ms. A device driven by a thread, as
// SDL's disk driver is, really does fall behind now and then on a busy
// machine: each such stall and the second after it are not judged. --log writes each
// frame's timer reading (seconds, the monotonic clock), the music time drawn
// and the one the device reports heard. --data plays DIR/5tfina.mp3. The
// output is the sound server where one answers, else SDL's (SDL_AUDIODRIVER).
#include <atomic>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/audio.h"
#include "platform/data_path.h"
#include "platform/timer.h"
#include "probe_options.h"
#include "state/demo_state.h"
#include "shell/music.h"
#include "sync_report.h"

namespace {
constexpr int maxHandOvers = 1 << 16;
AudioHandOver handOvers[maxHandOvers];
std::atomic<int> handOverCount{0};

void onHandOver(uint64_t timeUs, uint64_t framesBefore) {
    const int n = handOverCount.load(std::memory_order_relaxed);
    if (n >= maxHandOvers) return;
    handOvers[n] = AudioHandOver{timeUs, framesBefore};
    handOverCount.store(n + 1, std::memory_order_release);
}

// The old start: the zero is the timer reading right after the stream was
// told to play. False when the stream does not open.
bool startUncompensated() {
    char real[PATH_MAX];
    const uint32_t stream =
        resolveDataPath("data\\5tfina.mp3", real, sizeof real) ? audioStreamCreateFile(0, real, 0, 0, 0) : 0;
    if (!stream) return false;
    audioStart();
    audioStreamPlay(stream, 0, 4);
    demo.musicStartMs = readSystemTimer();
    return true;
}

// What the frame loop does at the top of each frame, about 60 times a second.
std::vector<DrawnFrame> runFrames(double seconds, bool follow, const std::vector<ProbeMove>& moves) {
    std::vector<DrawnFrame> frames;
    frames.reserve(size_t(seconds * 100) + 16);
    const uint64_t endUs = readSystemTimerUs() + uint64_t(seconds * 1e6);
    size_t nextMove = 0;
    for (;;) {
        const uint64_t nowUs = readSystemTimerUs();
        const uint32_t now = uint32_t(nowUs / 1000);
        if (follow) queryMusicPosition(now);
        const int32_t drawn = int32_t(now - demo.musicStartMs);
        frames.push_back(DrawnFrame{nowUs, drawn});
        if (nowUs >= endUs) break;
        if (!makeProbeMove(moves, &nextMove, drawn)) sleepMicroseconds(16000);
    }
    return frames;
}

bool writeLog(std::FILE* f, const char* path, const std::vector<DrawnFrame>& frames,
              const std::vector<AudioHandOver>& h, int rate, int latencyFrames) {
    std::fprintf(f, "# time_s drawn_ms heard_ms\n");
    for (const DrawnFrame& d : frames) {
        const double heard = heardFrame(h, d.timeUs, rate, latencyFrames);
        std::fprintf(f, "%.6f %d %.3f\n", d.timeUs / 1e6, d.musicMs, heard * 1000.0 / (rate > 0 ? rate : 1));
    }
    const bool ok = std::fflush(f) == 0 && !std::ferror(f);
    const int err = errno;
    if (std::fclose(f) != 0 || !ok) {
        std::fprintf(stderr, "demo-sync-probe: cannot write %s: %s\n", path, std::strerror(ok ? errno : err));
        return false;
    }
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    ProbeOptions o;
    const int parsed = parseProbeOptions(argc, argv, &o);
    if (parsed >= 0) return parsed;
    // Opened first: a log that cannot be written fails before the music plays.
    std::FILE* log = nullptr;
    if (!o.logPath.empty() && !(log = std::fopen(o.logPath.c_str(), "w"))) {
        std::fprintf(stderr, "demo-sync-probe: cannot create %s: %s\n", o.logPath.c_str(),
                     std::strerror(errno));
        return 1;
    }
    if (!o.dataDir.empty()) setDataDirectory(o.dataDir.c_str());
    // The observer is installed once the device is open, inside startMusic's
    // first step; before it the stream has not started, so nothing is missed.
    bool playing = false;
    if (audioInit(-1, 44100, 0)) {
        audioSetHandOverObserver(onHandOver);
        playing = o.uncompensated ? startUncompensated() : startMusic("data\\5tfina.mp3") != 0;
    }
    if (!playing) {
        std::fprintf(stderr, "Error: cannot play audio\n");
        if (log) std::fclose(log);
        return 1;
    }
    const std::vector<DrawnFrame> frames = runFrames(o.seconds, !o.uncompensated, o.moves);
    const int rate = audioOutputRate();
    const int latencyFrames = int(int64_t(audioOutputLatencyUs()) * rate / 1000000);
    const char* output = audioOutputName();
    audioSetHandOverObserver(nullptr);
    const std::vector<AudioHandOver> h(handOvers, handOvers + handOverCount.load());
    stopMusic();

    const SyncReport r = compareSync(frames, h, rate, latencyFrames);
    if (log && !writeLog(log, o.logPath.c_str(), frames, h, rate, latencyFrames)) return 1;
    std::printf("%s clock, %d frames over %.1f s, output %s, device latency %.1f ms\n",
                o.uncompensated ? "uncompensated" : "compensated", r.frames, r.seconds, output,
                latencyFrames * 1000.0 / (rate > 0 ? rate : 1));
    std::printf("offset first %.1f ms, last %.1f ms, 95%% within %.1f ms, worst %.1f ms, drift %.1f ms\n",
                r.firstMs, r.lastMs, r.p95Ms, r.worstMs, r.driftMs);
    if (r.stalls)
        std::printf("  the device stalled %d times: %d frames during or a second after not judged\n",
                    r.stalls, r.excused);
    for (const SyncLimits& limits : {syncGoal, syncGate})
        std::printf("  %s %.0f ms: %s\n", limits.name, limits.offsetMs,
                    syncWithin(r, limits) ? "held" : "missed");
    return o.check && !syncWithin(r, syncGate) ? 3 : 0;
}
