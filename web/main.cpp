// The browser build's entry. The page starts it after the user's click with
// no arguments (the demo as on the desktop, windowed in the page, with the
// desktop's pause and seek keys), "--start S" for a play S seconds in (the
// address's ?t=S), or "--at T1,T2,..." for stills: no sound, the capture
// program's fixed-step clock at 30 frames a second from 0 (with "--fps 60",
// 60), stopping on the frame of each time; with "--seek" instead each still
// is the frame a seek to its time draws; "--record SETTINGS" saves a span as
// a video ("Save as video", web/record.js). After the end (or Escape) the page
// offers to watch again: the program starts a new play, from the start, from
// the files and the music it already holds.
#include <emscripten.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "options/option_reader.h"
#include "options/option_values.h"
#include "platform/report_error.h"
#include "platform/window.h"
#include "platform/web/page_bridge.h"
#include "platform/web/web_present.h"
#include "record.h"
#include "replay.h"
#include "shell/demo_main.h"
#include "script/timeline.h"
#include "shell/music.h"
#include "shell/play_keys.h"
#include "shell/seek_replay.h"
#include "shell/shell_options.h"
#include "shell/start_up.h"
#include "shell/still_times.h"
#include "shell/stills_run.h"
#include "state/gentle_mode.h"

namespace {

const char* const usage =
    "usage: demo [--start S]\n"
    "       demo --at T1,T2,... [--seek | --fps 30|60]\n"
    "       demo --record SETTINGS\n"
    "  (the page starts it: ?t=S gives --start, ?at=... --at, &seek --seek, &fps=60 --fps 60)\n"
    "  --start S     play from S seconds into the music; a time that is none is named on\n"
    "                the page and the play starts from the beginning\n"
    "  --at T,...    stills at these music times (seconds from 0 to 228), no sound\n"
    "  --seek        each still the frame a seek to its time draws (on a 60 fps clock)\n"
    "  --fps N       the stills' fixed-step clock, 30 (as without it) or 60 frames a second;\n"
    "                --seek and --fps count for stills alone\n"
    "  --record S    save the span S asks for as a video (the page's ?record=S)\n";
const ProgramUsage program = {"demo", usage};
const char* const stillTimesTaken = "seconds from 0 to 228, separated by commas";

// What the page asked for: a play (from the start or --start) or stills.
struct PageRun {
    bool stills = false;
    std::string times;  // --at
    long framesPerSecond = 30;
    bool bySeeking = false;
    bool fromStart = true;
    std::string start;  // --start, as the address gave it
    std::string record;  // --record, as the address gave it
};

// The option just read: 0 when taken, else 2 (refused).
int readPageOption(OptionReader* r, PageRun* run) {
    std::string v;
    if (r->option == "--at") {
        std::vector<double> seconds;
        if (const int refused = optionValue(r, &v, stillTimesTaken)) return refused;
        if (!parseStillTimes(v.c_str(), &seconds))
            return refuseOption(program, "--at", v, stillTimesTaken);
        run->stills = true;
        run->times = v;
    } else if (r->option == "--fps") {
        if (const int refused = optionValue(r, &v, "30 or 60")) return refused;
        if (v != "30" && v != "60") return refuseOption(program, "--fps", v, "30 or 60");
        run->framesPerSecond = v == "60" ? 60 : 30;
    } else if (r->option == "--seek") {
        run->bySeeking = true;
    } else if (r->option == "--start") {
        // The value is the address's: the play says on the page what is wrong with it.
        if (const int refused = optionValue(r, &run->start, "seconds of music, such as 95.5"))
            return refused;
        run->fromStart = false;
    } else if (r->option == "--record") {
        // The recording says on the page what is wrong with its settings.
        if (const int refused = optionValue(r, &run->record, "the recording's settings"))
            return refused;
    } else {
        return refuseUnknown(*r);
    }
    return 0;
}

// -1 to run, else the exit code (help shown, or the command line refused).
int readPageOptions(int argc, char** argv, PageRun* run) {
    OptionReader r = startOptions(program, argc, argv);
    while (nextOption(&r)) {
        if (helpAsked(r)) return showHelp(program);
        if (const int refused = readPageOption(&r, run)) return refused;
    }
    return -1;
}

EM_ASYNC_JS(void, pageShowStill, (double seconds, long frame, int isLast), {
    await Module.page.showStill(seconds, frame, isLast != 0);
});

// Gentle play is the page's switch ("gentle: fewer flashes") as it stands at
// the click that starts a play: the page sets the switch's byte here then.
EM_JS(void, pageOfferGentleSwitch, (bool* on), { Module.page.gentleSwitchAt = on; });

// A message that does not stop the play.
EM_JS(void, pageShowNotice, (const char* text), {
    Module.page.showNotice('start', UTF8ToString(text));
});

// The chapters of the page's bar: the music time each part starts at.
EM_JS(void, pageSetChapters, (const uint32_t* startsMs, int count, uint32_t endMs), {
    const starts = [];
    for (let i = 0; i < count; ++i) starts.push(HEAPU32[(startsMs >> 2) + i]);
    Module.page.setChapters(starts, endMs);
});

bool showStill(const StillAt& still, void* user) {
    const std::vector<double>* seconds = static_cast<const std::vector<double>*>(user);
    // The frame is drawn: the page shows it (and, before the last one, waits
    // until it is told to go on).
    pageShowStill((*seconds)[still.index], still.frame, still.last);
    // While it waited, the page may have lost its context and got it back:
    // the next frames need the pictures and programs made again.
    pumpMessages();
    return true;
}

// Each still drawn by a seek to its time, in the order asked.
int runSeekStillsInPage(const std::vector<double>& seconds) {
    DemoStart start;
    start.warmUp = false;
    start.exactSize = true;
    if (!startDemo(start)) return 1;
    SeekCache seeks;
    prepareSeeking(&seeks);
    for (size_t i = 0; i < seconds.size(); ++i) {
        const long frame = seekFrameAtSeconds(seconds[i]);
        if (!drawSeekFrame(&seeks, frame)) return 1;
        pageShowStill(seconds[i], frame, i + 1 == seconds.size());
    }
    return 0;
}

// The stills, and again from a new start as often as the page asks.
int runStillsInPage(const char* list, long framesPerSecond, bool bySeeking) {
    std::vector<double> seconds;
    parseStillTimes(list, &seconds);
    setPresentPacing(PresentPacing::free);
    if (bySeeking) return runSeekStillsInPage(seconds);
    StillsRun stills;
    stills.run.rate.num = framesPerSecond;
    stills.run.rate.den = 1;
    stills.frames = stillFrames(seconds, framesPerSecond);
    stills.onStill = showStill;
    stills.user = &seconds;
    int code = runStills(stills);
    while (code == 0 && pageStillsAgain()) {
        if (!restartPlay()) {
            reportError("cannot load scenes or textures");
            return 1;
        }
        playStills(stills);
    }
    return code;
}

// The demo as on the desktop, windowed in the page, as many times as the
// viewer asks. The end closes the sound output (the page keeps the decoded
// music); the tables stay until the next play loads them again. No warm-up
// frames: the GL layer builds its few shader programs on first use, which
// costs far less than drawing a few hundred frames before the click.
int playInPage(long startFrame) {
    DemoStart start;
    start.warmUp = false;
    DemoWindow* window = startDemo(start);
    if (!window) return 1;
    for (;;) {
        if (!playDemoWithKeys(window, startFrame)) return 1;
        startFrame = 0;
        stopMusic();
        pageDemoEnded(0);
        pageWaitForReplay();
        if (!restartPlay()) {
            reportError("cannot load scenes or textures");
            return 1;
        }
    }
}

// What is wrong with a start time parseStartSeconds refused.
const char* startTimeProblem(const char* text) {
    double seconds = 0;
    if (text[0] == '-' && parseStartSeconds(text + 1, &seconds)) return "is before the music starts";
    const size_t length = std::strlen(text);
    if (length > 0 && std::strspn(text, "0123456789.") == length &&
        std::strtod(text, nullptr) >= timelineEndSeconds)
        return "is past the end of the demo (228 s)";
    return "is not a time in seconds of music (such as 95.5)";
}

// The frame of the address's start time; a time that is not one is named
// on the page, and the play starts from the beginning.
long startFrameOf(const char* text) {
    double seconds = 0;
    if (parseStartSeconds(text, &seconds)) return seekFrameAtSeconds(seconds);
    const std::string notice = std::string("The address's t=") + text + " " +
                               startTimeProblem(text) + ": the demo plays from the start.";
    pageShowNotice(notice.c_str());
    return 0;
}

void offerChapters() {
    uint32_t starts[lastPlayedPart + 1];
    for (int part = 0; part <= lastPlayedPart; ++part) starts[part] = partStartTargetMs(part);
    pageSetChapters(starts, lastPlayedPart + 1, timelineEndMs);
}

}  // namespace

int main(int argc, char** argv) {
    PageRun run;
    int code = readPageOptions(argc, argv, &run);
    if (code >= 0) {
        // Refused or helped: nothing runs.
    } else if (!run.record.empty()) {
        code = recordInPage(run.record.c_str());
    } else if (run.stills) {
        // A seek's stills are drawn on its own 60 fps clock.
        code = runStillsInPage(run.times.c_str(), run.bySeeking ? 60 : run.framesPerSecond,
                               run.bySeeking);
    } else {
        gentleMode.chosenAtPlay = true;
        pageOfferGentleSwitch(&gentleMode.on);
        offerChapters();
        const long startFrame = run.fromStart ? 0 : startFrameOf(run.start.c_str());
        // Returns only after a start-up failure.
        code = playInPage(startFrame);
    }
    pageDemoEnded(code);
    return code;
}
