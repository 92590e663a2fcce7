#include "capture_options.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "capture_range.h"
#include "frame_size.h"
#include "script/timeline.h"
#include "shell/shell_options.h"

namespace {
bool parseSeconds(const std::string& text, double* out) {
    if (text.empty()) return false;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(v) || v < 0) return false;
    *out = v;
    return true;
}

bool parseCount(const std::string& text, long* out) {
    if (text.empty()) return false;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || v < 0) return false;
    *out = v;
    return true;
}

// "A-B", "A-" or "-B".
bool splitRange(const std::string& text, std::string* a, std::string* b) {
    const size_t dash = text.find('-');
    if (dash == std::string::npos) return false;
    *a = text.substr(0, dash);
    *b = text.substr(dash + 1);
    return !(a->empty() && b->empty());
}

bool knownPreset(const std::string& name) {
    static const char* const presets[] = {"ultrafast", "superfast", "veryfast", "faster", "fast",
                                          "medium",    "slow",      "slower",   "veryslow"};
    for (const char* p : presets)
        if (name == p) return true;
    return false;
}

int bad(const char* what, const std::string& value) {
    std::fprintf(stderr, "demo-capture: %s: '%s'\n", what, value.c_str());
    std::fprintf(stderr, "Try 'demo-capture --help'.\n");
    return 2;
}
// --at T1,T2,...: every time, by the name given, on the timeline.
int parseAtList(const std::string& v, CaptureOptions* o) {
    for (const std::string& item : splitCommaList(v)) {
        double t = 0;
        if (!parseSeconds(item, &t)) return bad("bad time for --at (use seconds, such as 12.5)", item);
        if (t >= timelineEndSeconds) {
            // Which time is the last one depends on the rate: the selection
            // check names the last frame.
            char why[80];
            std::snprintf(why, sizeof why, "bad time for --at (the timeline ends at %g s)",
                          timelineEndSeconds);
            return bad(why, item);
        }
        o->atTimes.push_back(t);
        o->atNames.push_back(item);
    }
    return 0;
}

// --frames A-B (either end may be left out): frames A to B - 1, cut at the end.
int applyFrameRange(const std::string& text, long total, CaptureOptions* o) {
    std::string a, b;
    long first = 0, end = total;
    if (text.empty() || !splitRange(text, &a, &b) || (!a.empty() && !parseCount(a, &first)) ||
        (!b.empty() && !parseCount(b, &end)) || first >= end)
        return bad("bad frame range", text);
    o->firstFrame = first;
    o->endFrame = end < total ? end : total;
    return 0;
}

// --time START-END in seconds: the frames whose times fall in [START, END).
int applyTimeRange(const std::string& text, long total, CaptureOptions* o) {
    std::string a, b;
    double s = 0, e = timelineEndSeconds;
    if (text.empty() || !splitRange(text, &a, &b) || (!a.empty() && !parseSeconds(a, &s)) ||
        (!b.empty() && !parseSeconds(b, &e)))
        return bad("bad time range (use START-END in seconds, such as 10-20.5)", text);
    if (s >= timelineEndSeconds) {
        // Past the timeline, whatever the end: no frame (refused with the
        // timeline's length), and no frame number computed from a huge time.
        o->firstFrame = o->endFrame = total;
        return 0;
    }
    // An end past the timeline is clipped to it, whatever its value.
    if (e > timelineEndSeconds) e = timelineEndSeconds;
    if (s >= e) return bad("bad time range (it ends before it starts)", text);
    o->firstFrame = long(std::ceil(s * double(o->rate.num) / double(o->rate.den) - 1e-9));
    const long end = long(std::ceil(e * double(o->rate.num) / double(o->rate.den) - 1e-9));
    o->endFrame = end < total ? end : total;
    return 0;
}

// PNG frames go to a folder ("frames" unless named), video to an .mp4 file.
int settleOutput(bool outputGiven, CaptureOptions* o) {
    if (!o->atTimes.empty() || (!outputGiven && o->png)) {
        if (!outputGiven) o->output = "frames";
        o->png = true;
    }
    const bool mp4 = o->output.size() > 4 && o->output.compare(o->output.size() - 4, 4, ".mp4") == 0;
    if (!mp4) o->png = true;
    if (mp4 && o->png) return bad("PNG frames need a folder, not", o->output);
    return 0;
}

}  // namespace

void printCaptureUsage() {
    std::printf(
        "usage: demo-capture [options]\n"
        "Records the demo frame by frame, offscreen, at a fixed frame rate.\n\n"
        "  -o, --output PATH  a .mp4 file (H.264 video with the soundtrack, through ffmpeg)\n"
        "                     or a folder for numbered PNG frames (default demo.mp4)\n"
        "  --png              write PNG frames (frame-000000.png ...) into the output folder\n"
        "  --rate N[/D]       frames per second, a whole number or a fraction such as\n"
        "                     60000/1001 (default 60)\n"
        "  --size WxH         picture size, 4:3 and even (default 640x480)\n"
        "  --frames A-B       only frames A up to B-1 (either end may be left out)\n"
        "  --time S-E         only frames from S to E seconds of music\n"
        "  --at T1,T2,...     single PNG frames at these music times in seconds\n"
        "                     (the demo runs from the start so every effect has its history)\n"
        "  --data DIR         the data folder (default: 'data' beside the program)\n"
        "  --preset NAME      x264 speed preset of the video, ultrafast ... veryslow\n"
        "                     (default veryfast; ultrafast encodes about 3x faster\n"
        "                     into a file about twice the size, same CRF 16)\n"
        "  --warm-up          load as the demo does, drawing warm-up frames first\n"
        "  --msaa N           draw with N samples per pixel (2, 4, 8, 16; fewer where the GL\n"
        "                     offers fewer, said on stderr)\n"
        "  --supersample K    draw K x K times larger (2 to 4), filter down to the size\n"
        "  --filter linear|plain  how --supersample averages: light (default) or values\n"
        "                     (the same frames; for checking that they are)\n"
        "  --quiet            no progress line\n"
        "  -h, --help         this text\n");
}

int parseCaptureOptions(int argc, char** argv, CaptureOptions* o) {
    bool outputGiven = false, framesGiven = false, timeGiven = false;
    std::string framesText, timeText;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string* out) {
            if (i + 1 >= argc) return false;
            *out = argv[++i];
            return true;
        };
        std::string v;
        if (arg == "-h" || arg == "--help") {
            printCaptureUsage();
            return 3;
        } else if (arg == "-o" || arg == "--output") {
            if (!value(&o->output)) return bad("missing value for", arg);
            outputGiven = true;
        } else if (arg == "--png") {
            o->png = true;
        } else if (arg == "--quiet") {
            o->quiet = true;
        } else if (arg == "--warm-up") {
            o->warmUp = true;
        } else if (arg == "--rate") {
            if (!value(&v) || !parseFrameRate(v, &o->rate)) return bad("bad frame rate", v);
        } else if (arg == "--size") {
            const char* problem = "missing value for";
            if (!value(&v) || !parseFrameSize(v, &o->width, &o->height, &problem))
                return bad(problem, v);
        } else if (arg == "--frames") {
            if (!value(&framesText)) return bad("missing value for", arg);
            framesGiven = true;
        } else if (arg == "--time") {
            if (!value(&timeText)) return bad("missing value for", arg);
            timeGiven = true;
        } else if (arg == "--at") {
            if (!value(&v)) return bad("missing value for", arg);
            if (const int refused = parseAtList(v, o)) return refused;
        } else if (arg == "--preset") {
            if (!value(&v) || !knownPreset(v)) return bad("unknown x264 preset", v);
            o->preset = v;
        } else if (arg == "--msaa") {
            if (!value(&v) || !parseSampleCount(v.c_str(), &o->msaa))
                return bad("--msaa takes 2, 4, 8 or 16", v);
        } else if (arg == "--supersample") {
            if (!value(&v) || !(v == "1" || v == "2" || v == "3" || v == "4"))
                return bad("--supersample takes 1 to 4", v);
            o->supersample = std::atoi(v.c_str());
        } else if (arg == "--filter") {
            if (!value(&v) || !(v == "linear" || v == "plain")) return bad("--filter takes linear or plain", v);
            o->linearFilter = v == "linear";
        } else if (arg == "--data") {
            if (!value(&o->dataDir)) return bad("missing value for", arg);
        } else {
            return bad("unknown option", arg);
        }
    }
    if (framesGiven && timeGiven) return bad("use --frames or --time, not both", timeText);
    const long total = timelineFrameCount(o->rate);
    if (framesGiven)
        if (const int refused = applyFrameRange(framesText, total, o)) return refused;
    if (timeGiven)
        if (const int refused = applyTimeRange(timeText, total, o)) return refused;
    if (o->endFrame < 0) o->endFrame = total;
    if (const int refused = checkCaptureSelection(*o, framesText, timeText)) return refused;
    return settleOutput(outputGiven, o);
}
