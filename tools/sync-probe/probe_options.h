#pragma once
#include <string>
#include <vector>

#include "probe_moves.h"

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
