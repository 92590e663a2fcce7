// clock-probe: the demo's music start-up and clock without a window, for the
// sync tests under Wine. Plays the soundtrack for N seconds and writes, about
// sixty times a second, the timer reading and the music time a frame drawn
// then would show:
//
//   clock-probe DATA_FOLDER SECONDS LOG [--pause AT,FOR]... [--seek AT,TO]...
//
// LOG gets one line per frame, "timer_us drawn_ms". The timer is the
// performance counter, which under Wine runs at the host's monotonic clock's
// pace but from another zero: every tenth of a second the probe also prints
// its reading on stdout, at once, so whoever reads it can find that zero.
// --pause and --seek move the music as the viewer's keys do, when the music
// time drawn first reaches AT seconds (in the order given): silent at once,
// then on from where it stood FOR seconds later, or on from music time TO.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/audio.h"
#include "platform/data_path.h"
#include "platform/timer.h"
#include "probe_moves.h"
#include "shell/music.h"

namespace {
struct Frame {
    uint64_t us;
    int32_t drawnMs;
};

// "--pause AT,FOR" and "--seek AT,TO" from argv[first] on; false on anything else.
bool readMoves(int argc, char** argv, int first, std::vector<ProbeMove>* moves) {
    for (int i = first; i < argc; i += 2) {
        const bool seek = std::strcmp(argv[i], "--seek") == 0;
        if ((!seek && std::strcmp(argv[i], "--pause") != 0) || i + 1 >= argc) return false;
        ProbeMove m = {seek, 0, 0};
        char rest = 0;
        if (std::sscanf(argv[i + 1], "%lf,%lf%c", &m.at, &m.value, &rest) != 2 || m.at < 0 ||
            m.value < 0 || m.value > 240)
            return false;
        moves->push_back(m);
    }
    return true;
}

// As the frame loop draws: the timer reading the frame is drawn for, then the
// music's zero as the player keeps it on that reading.
std::vector<Frame> runFrames(double seconds, const std::vector<ProbeMove>& moves) {
    std::vector<Frame> frames;
    size_t nextMove = 0;
    const uint64_t endUs = readSystemTimerUs() + uint64_t(seconds * 1e6);
    for (;;) {
        const uint64_t nowUs = readSystemTimerUs();
        const uint32_t zero = queryMusicPosition(uint32_t(nowUs / 1000));
        frames.push_back(Frame{nowUs, int32_t(uint32_t(nowUs / 1000) - zero)});
        if (frames.size() % 6 == 0) {
            std::printf("timer %llu\n", (unsigned long long)readSystemTimerUs());
            std::fflush(stdout);
        }
        if (nowUs >= endUs) break;
        if (!makeProbeMove(moves, &nextMove, frames.back().drawnMs)) sleepMicroseconds(16000);
    }
    return frames;
}
}  // namespace

int main(int argc, char** argv) {
    std::vector<ProbeMove> moves;
    if (argc < 4 || !readMoves(argc, argv, 4, &moves)) {
        std::fprintf(stderr, "usage: clock-probe DATA_FOLDER SECONDS LOG [--pause AT,FOR]... "
                             "[--seek AT,TO]...\n");
        return 2;
    }
    setDataDirectory(argv[1]);
    if (!startMusic("data\\5tfina.mp3")) {
        std::fprintf(stderr, "Error: cannot play audio\n");
        return 1;
    }
    const std::vector<Frame> frames = runFrames(std::atof(argv[2]), moves);
    const int leadUs = audioOutputLatencyUs();
    stopMusic();
    FILE* log = std::fopen(argv[3], "w");
    if (!log) return 1;
    for (const Frame& f : frames) std::fprintf(log, "%llu %d\n", (unsigned long long)f.us, int(f.drawnMs));
    std::fclose(log);
    std::printf("%zu frames, position lead %.1f ms\n", frames.size(), leadUs / 1000.0);
    return 0;
}
