#include "shell/shell_options.h"

#include <string>

#include "script/timeline.h"
#include "state/gentle_mode.h"

namespace {
void printShellUsage(FILE* out, int fullscreen) {
    std::fprintf(out, "usage: %s [--msaa N]%s [--start S] [--gentle]\n",
                 fullscreen ? "demo" : "demo-windowed", fullscreen ? " [--desktop-size]" : "");
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
void printDemoUsage(FILE* out) { printShellUsage(out, 1); }
void printWindowedUsage(FILE* out) { printShellUsage(out, 0); }

std::string startTaken() {
    char text[96];
    std::snprintf(text, sizeof text, "seconds of music from 0 to below the end at %g s, such as 95.5",
                  timelineEndSeconds);
    return text;
}

// The option just read: 0 when it was taken, else 2 (refused).
int readShellOption(OptionReader* r, int fullscreen, WindowOptions* options, double* startSeconds) {
    std::string v;
    if (r->option == "--msaa") {
        if (const int refused = optionValue(r, &v, sampleCountTaken)) return refused;
        if (!parseSampleCount(v.c_str(), &options->msaaSamples))
            return refuseOption(r->program, "--msaa", v, sampleCountTaken);
    } else if (startSeconds && r->option == "--start") {
        if (const int refused = optionValue(r, &v, startTaken())) return refused;
        if (!parseStartSeconds(v.c_str(), startSeconds))
            return refuseOption(r->program, "--start", v, startTaken());
    } else if (r->option == "--gentle") {
        gentleMode.on = true;
    } else if (fullscreen && r->option == "--desktop-size") {
        options->desktopSize = true;
    } else {
        return refuseUnknown(*r);
    }
    return 0;
}
}  // namespace

ProgramUsage shellProgram(int fullscreen) {
    ProgramUsage program;
    program.name = fullscreen ? "demo" : "demo-windowed";
    program.print = fullscreen ? printDemoUsage : printWindowedUsage;
    return program;
}

bool parseStartSeconds(const char* text, double* seconds) {
    double v = 0;
    if (!parsePlainSeconds(text, &v) || v >= timelineEndSeconds) return false;
    *seconds = v;
    return true;
}

bool parseShellOptions(int argc, char** argv, int fullscreen, WindowOptions* options, bool* help,
                       double* startSeconds) {
    *options = WindowOptions{};
    *help = false;
    gentleMode.on = false;
    if (startSeconds) *startSeconds = 0;
    OptionReader r = startOptions(shellProgram(fullscreen), argc, argv);
    while (nextOption(&r)) {
        if (helpAsked(r))
            *help = true;
        else if (readShellOption(&r, fullscreen, options, startSeconds) != 0)
            return false;
    }
    return true;
}
