// demo-click-track: writes a soundtrack of clicks for measuring sync against
// a recording of what was played: a 20 ms tone at every whole second, its
// pitch naming the second (500 Hz + 100 Hz x (second mod 30)), silence
// between. Stereo, 44100 Hz, encoded as the demo's own soundtrack is.
//
//   demo-click-track FILE [SECONDS]
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "music.h"
#include "options/option_reader.h"
#include "options/option_values.h"

namespace {

const ProgramUsage program = {"demo-click-track", "usage: demo-click-track FILE [SECONDS]\n"};

// -1 to go on, else the exit code (help shown, or the command line refused).
int readClickOptions(int argc, char** argv, std::string* file, long* seconds) {
    OptionReader r = startOptions(program, argc, argv);
    int read = 0;
    while (nextOption(&r)) {
        if (helpAsked(r)) return showHelp(program);
        if (r.option.size() > 1 && r.option[0] == '-') return refuseUnknown(r);
        if (read == 0)
            *file = r.option;
        else if (read > 1)
            return refuseUnknown(r);
        else if (!parseWholeNumber(r.option.c_str(), 1, 235, seconds))
            return refuseOption(program, "SECONDS", r.option, "a whole number from 1 to 235");
        ++read;
    }
    if (read == 0) return refuseOption(program, "the command line", nullptr, "FILE [SECONDS]");
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string file;
    long seconds = 235;
    if (const int code = readClickOptions(argc, argv, &file, &seconds); code >= 0) return code;
    const int rate = music::kMusicRate;
    std::vector<short> pcm(size_t(seconds) * rate * 2, 0);
    const int toneFrames = rate / 50;
    for (long s = 0; s < seconds; ++s) {
        const double hz = 500.0 + 100.0 * double(s % 30);
        for (int i = 0; i < toneFrames; ++i) {
            // A sharp onset (it is the mark) and a short fade-out.
            const double fade = i > toneFrames - 44 ? double(toneFrames - i) / 44.0 : 1.0;
            const short v = short(16000.0 * fade * std::sin(2.0 * M_PI * hz * i / rate));
            pcm[2 * (size_t(s) * rate + i)] = v;
            pcm[2 * (size_t(s) * rate + i) + 1] = v;
        }
    }
    std::vector<unsigned char> mp3;
    if (!music::encodeMp3(pcm, mp3)) return 1;
    std::FILE* f = std::fopen(file.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "demo-click-track: cannot create %s: %s\n", file.c_str(), std::strerror(errno));
        return 1;
    }
    const bool ok = std::fwrite(mp3.data(), 1, mp3.size(), f) == mp3.size();
    if (std::fclose(f) != 0 || !ok) {
        std::fprintf(stderr, "demo-click-track: cannot write %s: %s\n", file.c_str(), std::strerror(errno));
        return 1;
    }
    return 0;
}
