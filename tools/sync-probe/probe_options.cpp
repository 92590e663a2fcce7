#include "probe_options.h"

#include <cstdio>
#include <string>

#include "options/option_reader.h"
#include "options/option_values.h"
#include "script/timeline.h"

namespace {
// The first word of every message, and what --help prints.
const ProgramUsage program = {
    "demo-sync-probe",
    "usage: demo-sync-probe [--seconds N] [--uncompensated] [--check] [--log FILE] "
    "[--data DIR] [--pause AT,FOR]... [--seek AT,TO]...\n"};

const char* const secondsTaken = "seconds above 0, at most 240";
const char* const moveTaken = "two times in seconds from 0 to 240, AT,FOR or AT,TO";

// "A,B": two numbers of seconds from 0 to 240.
bool parsePair(const std::string& text, double* a, double* b) {
    const std::vector<std::string> items = splitCommaList(text);
    return items.size() == 2 && parseSeconds(items[0], a) && *a <= 240 &&
           parseSeconds(items[1], b) && *b <= 240;
}

// The value of --seconds, --log, --data, --pause or --seek: 0, or 2 (refused).
int readProbeValue(const std::string& option, const std::string& v, ProbeOptions* o) {
    if (option == "--seconds") {
        double s = 0;
        if (!parseSeconds(v, &s) || !(s > 0 && s <= 240))
            return refuseOption(program, option, v, secondsTaken);
        o->seconds = s;
    } else if (option == "--log") {
        if (v.empty()) return refuseOption(program, option, v, "a file name");
        o->logPath = v;
    } else if (option == "--data") {
        if (v.empty()) return refuseOption(program, option, v, "a folder");
        o->dataDir = v;
    } else {
        ProbeMove move = {option == "--seek", 0, 0};
        if (!parsePair(v, &move.at, &move.value)) return refuseOption(program, option, v, moveTaken);
        o->moves.push_back(move);
    }
    return 0;
}
}  // namespace

int parseProbeOptions(int argc, char** argv, ProbeOptions* o) {
    o->seconds = timelineEndSeconds;
    OptionReader r = startOptions(program, argc, argv);
    while (nextOption(&r)) {
        const std::string& a = r.option;
        if (helpAsked(r)) return showHelp(program);
        if (a == "--uncompensated") {
            o->uncompensated = true;
        } else if (a == "--check") {
            o->check = true;
        } else if (a == "--seconds" || a == "--log" || a == "--data" || a == "--pause" ||
                   a == "--seek") {
            const char* takes = a == "--seconds" ? secondsTaken
                                : a == "--log"   ? "a file name"
                                : a == "--data"  ? "a folder"
                                                 : moveTaken;
            std::string v;
            if (const int refused = optionValue(&r, &v, takes)) return refused;
            if (const int refused = readProbeValue(a, v, o)) return refused;
        } else {
            return refuseUnknown(r);
        }
    }
    return -1;
}
