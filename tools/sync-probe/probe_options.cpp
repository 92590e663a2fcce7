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
                 "[--data DIR]\n");
    return false;
}
}  // namespace

bool parseProbeOptions(int argc, char** argv, ProbeOptions* o) {
    o->seconds = timelineEndSeconds;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        const bool valued = !std::strcmp(a, "--seconds") || !std::strcmp(a, "--log") ||
                            !std::strcmp(a, "--data");
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
