// clock-probe: the demo's music start-up and clock without a window, for the
// sync test under Wine. Plays the soundtrack for N seconds and writes, about
// sixty times a second, the timer reading and the music time a frame drawn
// then would show:
//
//   clock-probe DATA_FOLDER SECONDS LOG
//
// LOG gets one line per frame, "timer_us drawn_ms". The timer is the
// performance counter, which under Wine runs at the host's monotonic clock's
// pace but from another zero: every tenth of a second the probe also prints
// its reading on stdout, at once, so whoever reads it can find that zero.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/audio.h"
#include "platform/data_path.h"
#include "platform/timer.h"
#include "shell/music.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: clock-probe DATA_FOLDER SECONDS LOG\n");
        return 2;
    }
    setDataDirectory(argv[1]);
    const double seconds = std::atof(argv[2]);
    if (!startMusic("data\\5tfina.mp3")) {
        std::fprintf(stderr, "Error: cannot play audio\n");
        return 1;
    }
    struct Frame {
        uint64_t us;
        int32_t drawnMs;
    };
    std::vector<Frame> frames;
    const uint64_t endUs = readSystemTimerUs() + uint64_t(seconds * 1e6);
    for (;;) {
        // As the frame loop draws: the music's zero as the player keeps it,
        // then the timer reading the frame is drawn for.
        const uint32_t zero = queryMusicPosition();
        const uint64_t nowUs = readSystemTimerUs();
        frames.push_back(Frame{nowUs, int32_t(uint32_t(nowUs / 1000) - zero)});
        if (frames.size() % 6 == 0) {
            std::printf("timer %llu\n", (unsigned long long)readSystemTimerUs());
            std::fflush(stdout);
        }
        if (nowUs >= endUs) break;
        sleepMicroseconds(16000);
    }
    const int leadUs = audioOutputLatencyUs();
    stopMusic();
    FILE* log = std::fopen(argv[3], "w");
    if (!log) return 1;
    for (const Frame& f : frames) std::fprintf(log, "%llu %d\n", (unsigned long long)f.us, int(f.drawnMs));
    std::fclose(log);
    std::printf("%zu frames, position lead %.1f ms\n", frames.size(), leadUs / 1000.0);
    return 0;
}
