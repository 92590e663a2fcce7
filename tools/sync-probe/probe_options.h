#pragma once
#include <string>
#include <vector>

// A pause or a seek of the music, as the demo's keys make them: when the
// music time drawn first reaches `at` (seconds, after the moves before it),
// the music pauses for `value` seconds and plays on from where it stood, or
// plays on from music time `value`.
struct ProbeMove {
    bool seek;
    double at;
    double value;
};

// demo-sync-probe's command line.
struct ProbeOptions {
    double seconds = 0;  // 0: the whole timeline
    bool uncompensated = false;
    bool check = false;
    std::string logPath;  // empty: no log
    std::string dataDir;  // empty: the folder beside the program
    std::vector<ProbeMove> moves;  // --pause AT,FOR and --seek AT,TO, in order
};

// -1 to go on. Otherwise the exit code: 0 after --help, 2 after refusing
// what it does not take (an unknown option, a missing value, a number with
// trailing text or out of its range; options/option_reader.h).
int parseProbeOptions(int argc, char** argv, ProbeOptions* options);
