#include "capture_options.h"

#include <climits>
#include <cmath>
#include <cstdio>

#include "capture_range.h"
#include "options/option_values.h"
#include "script/timeline.h"
#include "shell/frame_clock.h"

namespace {

bool knownPreset(const std::string& name) {
    static const char* const presets[] = {"ultrafast", "superfast", "veryfast", "faster", "fast",
                                          "medium",    "slow",      "slower",   "veryslow"};
    for (const char* p : presets)
        if (name == p) return true;
    return false;
}

int bad(const std::string& option, const std::string& value, const std::string& takes) {
    return refuseOption(captureProgram(), option, value, takes);
}

std::string atTaken() {
    char takes[120];
    std::snprintf(takes, sizeof takes,
                  "times in seconds, such as 12.5, from 0 to below the timeline's end at %g s, "
                  "between commas",
                  timelineEndSeconds);
    return takes;
}

const char* const framesTaken =
    "A-B: frames A up to B-1 in whole numbers, A before B, either end left out";
const char* const timeTaken =
    "S-E: seconds of music from S up to E, such as 10-20.5, S before E, either end left out";

// Frame numbers: whole numbers from 0.
bool parseFrame(const std::string& text, long* frame) {
    return parseWholeNumber(text.c_str(), 0, LONG_MAX, frame);
}

// --at T1,T2,...: every time, by the name given, on the timeline.
int parseAtList(const std::string& v, CaptureOptions* o) {
    for (const std::string& item : splitCommaList(v)) {
        double t = 0;
        // Which time is the last one depends on the rate: the selection
        // check names the last frame.
        if (!parseSeconds(item, &t) || t >= timelineEndSeconds) return bad("--at", item, atTaken());
        o->atTimes.push_back(t);
        o->atNames.push_back(item);
    }
    return 0;
}

// --frames A-B (either end may be left out): frames A to B - 1, cut at the end.
int applyFrameRange(const std::string& text, long total, CaptureOptions* o) {
    std::string a, b;
    long first = 0, end = total;
    if (text.empty() || !splitRange(text, &a, &b) || (!a.empty() && !parseFrame(a, &first)) ||
        (!b.empty() && !parseFrame(b, &end)) || first >= end)
        return bad("--frames", text, framesTaken);
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
        return bad("--time", text, timeTaken);
    if (s >= timelineEndSeconds) {
        // Past the timeline, whatever the end: no frame (refused with the
        // timeline's length), and no frame number computed from a huge time.
        o->firstFrame = o->endFrame = total;
        return 0;
    }
    // An end past the timeline is clipped to it, whatever its value.
    if (e > timelineEndSeconds) e = timelineEndSeconds;
    if (s >= e) return bad("--time", text, timeTaken);
    o->firstFrame = firstFrameAtSeconds(o->offscreen.rate, s);
    const long end = firstFrameAtSeconds(o->offscreen.rate, e);
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
    if (mp4 && o->png) return bad("--output", o->output, "a folder for PNG frames, not an .mp4 file");
    // What only a video can be.
    const char* videoOnly = o->lossless ? "--lossless" : o->noAudio ? "--no-audio"
                          : !o->joinList.empty() ? "--join" : nullptr;
    if (videoOnly && o->png && !o->printFrames)
        return bad("--output", o->output,
                   std::string("an .mp4 file with ") + videoOnly + ": it makes a video, not PNG frames");
    if (!o->joinList.empty() && o->noAudio)
        return bad("--join", o->joinList, "pieces without --no-audio: the join adds the soundtrack");
    return 0;
}

// What --frames, --time and -o said, settled once every option is read.
struct CaptureRanges {
    bool outputGiven = false, framesGiven = false, timeGiven = false;
    std::string framesText, timeText;
};

int settleSelection(const CaptureRanges& ranges, CaptureOptions* o) {
    if (ranges.framesGiven && ranges.timeGiven)
        return bad("--time", ranges.timeText, "a range instead of --frames, not beside it");
    const long total = timelineFrameCount(o->offscreen.rate);
    if (ranges.framesGiven)
        if (const int refused = applyFrameRange(ranges.framesText, total, o)) return refused;
    if (ranges.timeGiven)
        if (const int refused = applyTimeRange(ranges.timeText, total, o)) return refused;
    if (o->endFrame < 0) o->endFrame = total;
    if (const int refused = checkCaptureSelection(*o, ranges.framesText, ranges.timeText))
        return refused;
    return settleOutput(ranges.outputGiven, o);
}

// The value of --at, --preset, --supersample or --filter.
int readCaptureValue(const std::string& arg, const std::string& v, CaptureOptions* o) {
    long scale = 0;
    if (arg == "--at") return parseAtList(v, o);
    if (arg == "--preset") {
        if (!knownPreset(v)) return bad(arg, v, "an x264 preset, ultrafast ... veryslow");
        o->preset = v;
    } else if (arg == "--supersample") {
        if (!parseWholeNumber(v.c_str(), 1, 4, &scale)) return bad(arg, v, "1, 2, 3 or 4");
        o->supersample = int(scale);
    } else if (!(v == "linear" || v == "plain")) {
        return bad(arg, v, "linear or plain");
    } else {
        o->linearFilter = v == "linear";
    }
    return 0;
}

// The options of the capture alone; *taken says whether `option` was one.
int readCaptureOption(OptionReader* r, CaptureOptions* o, CaptureRanges* ranges, bool* taken) {
    const std::string& arg = r->option;
    *taken = true;
    std::string v;
    // The switches: present or not.
    const struct {
        const char* name;
        bool CaptureOptions::*field;
    } switches[] = {{"--png", &CaptureOptions::png},           {"--quiet", &CaptureOptions::quiet},
                    {"--warm-up", &CaptureOptions::warmUp},    {"--lossless", &CaptureOptions::lossless},
                    {"--no-audio", &CaptureOptions::noAudio}, {"--print-frames", &CaptureOptions::printFrames},
                    {"--gentle", &CaptureOptions::gentle}};
    for (const auto& s : switches)
        if (arg == s.name) {
            o->*s.field = true;
            return 0;
        }
    const char* const joinTaken = "the list of pieces (ffmpeg's concat list)";
    if (arg == "--join") {
        if (const int refused = optionValue(r, &o->joinList, joinTaken)) return refused;
        if (o->joinList.empty()) return bad(arg, "", joinTaken);
    } else if (arg == "-o" || arg == "--output") {
        ranges->outputGiven = true;
        return optionValue(r, &o->output, "an .mp4 file or a folder");
    } else if (arg == "--frames") {
        ranges->framesGiven = true;
        return optionValue(r, &ranges->framesText, framesTaken);
    } else if (arg == "--time") {
        ranges->timeGiven = true;
        return optionValue(r, &ranges->timeText, timeTaken);
    } else if (arg == "--at" || arg == "--preset" || arg == "--supersample" || arg == "--filter") {
        if (const int refused = optionValue(r, &v, "a value (see below)")) return refused;
        return readCaptureValue(arg, v, o);
    } else {
        *taken = false;
    }
    return 0;
}

}  // namespace

const char* const captureUsage =
    "usage: demo-capture [options]\n"
    "Records the demo frame by frame, offscreen, at a fixed frame rate.\n\n"
    "  -o, --output PATH  a .mp4 file (H.264 video with the soundtrack, through ffmpeg;\n"
    "                     BT.709 colours, limited range, stated in the file) or a\n"
    "                     folder for numbered PNG frames (default demo.mp4)\n"
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
    "  --gentle           gentle play: fewer and softer flashes (see the README)\n"
    "  --warm-up          load as the demo does, drawing warm-up frames first\n"
    "  --msaa N           draw with N samples per pixel (2, 4, 8, 16; fewer where the GL\n"
    "                     offers fewer, said on stderr)\n"
    "  --supersample K    draw K x K times larger (2 to 4), filter down to the size\n"
    "  --filter linear|plain  how --supersample averages: light (default) or values\n"
    "                     (the same frames; for checking that they are)\n"
    "  --lossless         H.264's lossless mode: the video decodes to the very RGB\n"
    "                     frames drawn, stated as RGB, full range (a file many times\n"
    "                     larger; for archiving)\n"
    "  --no-audio         the video alone, its timestamps counted in frames: a piece\n"
    "                     of a recording made in pieces (demo-record)\n"
    "  --join LIST        join the videos named in LIST (ffmpeg's concat list, pieces\n"
    "                     made with --no-audio) into the output without encoding them\n"
    "                     again, with the soundtrack of the frames selected\n"
    "  --print-frames     print the frames the options select (\"frames A-B\", B not\n"
    "                     included), the rate and the size, and draw nothing\n"
    "  --quiet            no progress line\n"
    "  -h, --help         this text\n";

ProgramUsage captureProgram() {
    ProgramUsage program;
    program.name = "demo-capture";
    program.text = captureUsage;
    return program;
}

int parseCaptureOptions(int argc, char** argv, CaptureOptions* o) {
    OptionReader r = startOptions(captureProgram(), argc, argv);
    CaptureRanges ranges;
    while (nextOption(&r)) {
        if (helpAsked(r)) return 3;
        bool taken = false;
        if (const int refused = readSharedOption(&r, &o->offscreen, &taken)) return refused;
        if (!taken)
            if (const int refused = readCaptureOption(&r, o, &ranges, &taken)) return refused;
        if (!taken) return refuseUnknown(r);
    }
    return settleSelection(ranges, o);
}
