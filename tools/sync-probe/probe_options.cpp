#include "probe_options.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "script/timeline.h"

namespace {
// why, then the argument refused (if any) in quotes.
bool refuse(const char* why, const char* arg) {
    if (arg)
        std::fprintf(stderr, "demo-sync-probe: %s \"%s\"\n", why, arg);
    else
        std::fprintf(stderr, "demo-sync-probe: %s\n", why);
    std::fprintf(stderr,
                 "usage: demo-sync-probe [--seconds N] [--uncompensated] [--check] [--log FILE] "
                 "[--data DIR] [--pause AT,FOR]... [--seek AT,TO]...\n");
    return false;
}
// "A,B": two numbers of seconds from 0 to 240.
bool parsePair(const char* text, double* a, double* b) {
    char* end = nullptr;
    errno = 0;
    *a = std::strtod(text, &end);
    if (end == text || *end != ',' || errno || !(*a >= 0 && *a <= 240)) return false;
    const char* second = end + 1;
    *b = std::strtod(second, &end);
    return end != second && !*end && !errno && *b >= 0 && *b <= 240;
}
}  // namespace

bool parseProbeOptions(int argc, char** argv, ProbeOptions* o) {
    o->seconds = timelineEndSeconds;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        const bool valued = !std::strcmp(a, "--seconds") || !std::strcmp(a, "--log") ||
                            !std::strcmp(a, "--data") || !std::strcmp(a, "--pause") ||
                            !std::strcmp(a, "--seek");
        if (valued && i + 1 >= argc) return refuse("a value must follow", a);
        if (!std::strcmp(a, "--seconds")) {
            const char* v = argv[++i];
            char* end = nullptr;
            errno = 0;
            const double s = std::strtod(v, &end);
            if (end == v || *end || errno || !(s > 0 && s <= 240))
                return refuse("--seconds takes a number of seconds above 0 and at most 240, not", v);
            o->seconds = s;
        } else if (!std::strcmp(a, "--log")) {
            o->logPath = argv[++i];
            if (!*o->logPath) return refuse("--log takes a file name", nullptr);
        } else if (!std::strcmp(a, "--data")) {
            o->dataDir = argv[++i];
            if (!*o->dataDir) return refuse("--data takes a folder", nullptr);
        } else if (!std::strcmp(a, "--pause") || !std::strcmp(a, "--seek")) {
            ProbeMove move = {a[2] == 's', 0, 0};
            const char* v = argv[++i];
            if (!parsePair(v, &move.at, &move.value))
                return refuse("--pause and --seek take two times in seconds, AT,FOR or AT,TO, not", v);
            o->moves.push_back(move);
        } else if (!std::strcmp(a, "--uncompensated")) {
            o->uncompensated = true;
        } else if (!std::strcmp(a, "--check")) {
            o->check = true;
        } else {
            return refuse("unknown option", a);
        }
    }
    return true;
}
