#include "shell/shell_options.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "script/timeline.h"
#include "state/gentle_mode.h"

namespace {
const char* programName(int fullscreen) { return fullscreen ? "demo" : "demo-windowed"; }

bool refuse(int fullscreen, const char* what, const char* arg) {
    std::fprintf(stderr, "%s: %s%s\n", programName(fullscreen), what, arg ? arg : "");
    printShellUsage(fullscreen, true);
    return false;
}
}  // namespace

void printShellUsage(int fullscreen, bool toStderr) {
    FILE* out = toStderr ? stderr : stdout;
    std::fprintf(out, "usage: %s [--msaa N]%s [--start S] [--gentle]\n",
                 programName(fullscreen), fullscreen ? " [--desktop-size]" : "");
    std::fprintf(out,
                 "  --msaa N        draw with N samples per pixel (2, 4, 8 or 16); where the GL\n"
                 "                  offers fewer, the nearest lower count (said on stderr)\n");
    if (fullscreen)
        std::fprintf(out,
                     "  --desktop-size  fullscreen at the screen's own resolution, no mode switch;\n"
                     "                  the 4:3 picture centred and drawn at that resolution\n");
    std::fprintf(out,
                 "  --start S       start S seconds into the music (0 to 228), with the frame a\n"
                 "                  recording draws there\n"
                 "  --gentle        fewer and softer flashes, for viewers sensitive to flashing\n"
                 "                  light (the README says what changes)\n"
                 "keys: Space pause/play, Left/Right 10 s back/forward, Page Up/Page Down the\n"
                 "      part before/after, 0-8 that part, Escape end\n");
}

bool parseSampleCount(const char* text, int* samples) {
    for (int n : {2, 4, 8, 16}) {
        if (std::to_string(n) != text) continue;
        *samples = n;
        return true;
    }
    return false;
}

bool parseWholeNumber(const char* text, long low, long high, long* number) {
    if (!text || *text < '0' || *text > '9') return false;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || v < low || v > high) return false;
    *number = v;
    return true;
}

bool parseStartSeconds(const char* text, double* seconds, const char** problem) {
    const char* at = text;
    if (*at == '-' || *at == '+') ++at;
    size_t digits = 0;
    const char* p = at;
    for (; *p >= '0' && *p <= '9'; ++p) ++digits;
    if (*p == '.')
        for (++p; *p >= '0' && *p <= '9'; ++p) ++digits;
    if (digits == 0 || *p != '\0' || *text == '+') {
        *problem = "--start takes seconds of music (such as 95.5), not ";
        return false;
    }
    const double v = std::strtod(at, nullptr);
    if (*text == '-') {
        *problem = "--start cannot be before the music starts: ";
        return false;
    }
    if (v >= timelineEndSeconds) {
        *problem = "--start is past the end of the demo (228 s): ";
        return false;
    }
    *seconds = v;
    return true;
}

bool parseShellOptions(int argc, char** argv, int fullscreen, WindowOptions* options, bool* help,
                       double* startSeconds) {
    *options = WindowOptions{};
    *help = false;
    gentleMode.on = false;
    if (startSeconds) *startSeconds = 0;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0) {
            *help = true;
        } else if (std::strcmp(arg, "--msaa") == 0) {
            if (i + 1 >= argc) return refuse(fullscreen, "--msaa needs a sample count", nullptr);
            const char* v = argv[++i];
            int n = 0;
            if (!parseSampleCount(v, &n))
                return refuse(fullscreen, "--msaa takes 2, 4, 8 or 16, not ", v);
            options->msaaSamples = n;
        } else if (startSeconds && std::strcmp(arg, "--start") == 0) {
            if (i + 1 >= argc) return refuse(fullscreen, "--start needs a time in seconds", nullptr);
            const char* v = argv[++i];
            const char* problem = "";
            if (!parseStartSeconds(v, startSeconds, &problem)) return refuse(fullscreen, problem, v);
        } else if (std::strcmp(arg, "--gentle") == 0) {
            gentleMode.on = true;
        } else if (fullscreen && std::strcmp(arg, "--desktop-size") == 0) {
            options->desktopSize = true;
        } else {
            return refuse(fullscreen, "unknown option ", arg);
        }
    }
    return true;
}

std::vector<std::string> splitCommaList(const std::string& text) {
    std::vector<std::string> items;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        if (comma == std::string::npos) break;
        items.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    items.push_back(text.substr(start));
    return items;
}
