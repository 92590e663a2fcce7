// demo-sync-probe: plays the soundtrack through the demo's own music start-up
// and clock, and compares the music time every frame would draw with the
// sample the audio device is playing at that moment. No window is opened.
//
//   demo-sync-probe [--seconds N] [--uncompensated] [--check] [--log FILE]
//
// --uncompensated takes the clock's zero when the stream is started and never
// follows the device, as the demo once did. --check exits 3 when more than 5 %
// of the frames are off by over 10 ms, the first second is, or the offset
// drifts by over 5 ms (a device driven by a thread, as SDL's disk driver is,
// really does fall behind now and then on a busy machine). The audio driver is SDL's (SDL_AUDIODRIVER).
#include <atomic>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/audio.h"
#include "platform/data_path.h"
#include "platform/timer.h"
#include "script/frame_loop.h"
#include "script/timeline.h"
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

int usage() {
    std::fprintf(stderr, "usage: demo-sync-probe [--seconds N] [--uncompensated] [--check] [--log FILE]\n");
    return 2;
}
}  // namespace

int main(int argc, char** argv) {
    double seconds = timelineEndSeconds;
    bool uncompensated = false, check = false;
    const char* logPath = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
            if (!(seconds > 0 && seconds <= 240)) return usage();
        } else if (!std::strcmp(argv[i], "--uncompensated")) {
            uncompensated = true;
        } else if (!std::strcmp(argv[i], "--check")) {
            check = true;
        } else if (!std::strcmp(argv[i], "--log") && i + 1 < argc) {
            logPath = argv[++i];
        } else {
            return usage();
        }
    }
    // The observer is installed once the device is open, inside startMusic's
    // first step; before it the stream has not started, so nothing is missed.
    if (!audioInit(-1, 44100, 0)) {
        std::fprintf(stderr, "Error: cannot play audio\n");
        return 1;
    }
    audioSetHandOverObserver(onHandOver);
    if (uncompensated) {
        // The old start: the zero is the timer reading right after the
        // stream was told to play.
        char real[PATH_MAX];
        if (resolveDataPath("data\\5tfina.mp3", real, sizeof real))
            musicStream = audioStreamCreateFile(0, real, 0, 0, 0);
        if (musicStream) {
            audioStart();
            audioStreamPlay(musicStream, 0, 4);
            musicStartMs = readSystemTimer();
        }
    } else {
        startMusic("data\\5tfina.mp3");
    }
    if (!musicStream) {
        std::fprintf(stderr, "Error: cannot play audio\n");
        return 1;
    }

    std::vector<DrawnFrame> frames;
    frames.reserve(size_t(seconds * 100) + 16);
    const uint64_t endUs = readSystemTimerUs() + uint64_t(seconds * 1e6);
    for (;;) {
        // What the frame loop does at the top of a frame.
        if (!uncompensated) queryMusicPosition();
        const uint64_t nowUs = readSystemTimerUs();
        const uint32_t now = uint32_t(nowUs / 1000);
        frames.push_back(DrawnFrame{nowUs, int32_t(now - musicStartMs)});
        if (nowUs >= endUs) break;
        sleepMicroseconds(16000);  // about 60 frames a second
    }
    const int rate = audioOutputRate();
    const int latencyFrames = int(int64_t(audioOutputLatencyUs()) * rate / 1000000);
    audioSetHandOverObserver(nullptr);
    stopMusic();

    const std::vector<AudioHandOver> h(handOvers, handOvers + handOverCount.load());
    const SyncReport r = compareSync(frames, h, rate, latencyFrames);
    if (logPath) {
        if (FILE* f = std::fopen(logPath, "w")) {
            std::fprintf(f, "# time_s drawn_ms heard_ms\n");
            for (const DrawnFrame& d : frames) {
                const double heard = heardFrame(h, d.timeUs, rate, latencyFrames);
                std::fprintf(f, "%.6f %d %.3f\n", d.timeUs / 1e6, d.musicMs, heard * 1000.0 / rate);
            }
            std::fclose(f);
        }
    }
    std::printf("%s clock, %d frames over %.1f s, device latency %.1f ms\n",
                uncompensated ? "uncompensated" : "compensated", r.frames, r.seconds,
                latencyFrames * 1000.0 / (rate > 0 ? rate : 1));
    std::printf("offset first %.1f ms, last %.1f ms, 95%% within %.1f ms, worst %.1f ms, drift %.1f ms\n",
                r.firstMs, r.lastMs, r.p95Ms, r.worstMs, r.driftMs);
    if (check && (r.frames == 0 || r.p95Ms > 10 || std::fabs(r.firstMs) > 10 ||
                  std::fabs(r.driftMs) > 5))
        return 3;
    return 0;
}
