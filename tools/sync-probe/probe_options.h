#pragma once

// demo-sync-probe's command line.
struct ProbeOptions {
    double seconds = 0;  // 0: the whole timeline
    bool uncompensated = false;
    bool check = false;
    const char* logPath = nullptr;
    const char* dataDir = nullptr;
};

// False, after a line on stderr saying why and the usage, on anything it
// does not take: an unknown option, a missing value, a number with trailing
// text or out of its range.
bool parseProbeOptions(int argc, char** argv, ProbeOptions* options);
