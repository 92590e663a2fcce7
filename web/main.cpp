// The browser build's entry. The page starts it after the user's click with
// no arguments (the demo as on the desktop, windowed in the page), or with
// "--at T1,T2,..." for stills: no sound, the capture program's fixed-step
// clock at 30 frames a second from 0, stopping on the frame of each time.
// After the end (or Escape) the page offers to watch again: the program
// starts a new play from the files and the music it already holds.
#include <emscripten.h>

#include <cstring>
#include <vector>

#include "platform/report_error.h"
#include "platform/window.h"
#include "platform/web/page_bridge.h"
#include "platform/web/web_present.h"
#include "replay.h"
#include "shell/demo_main.h"
#include "shell/music.h"
#include "shell/start_up.h"
#include "shell/still_times.h"
#include "shell/stills_run.h"
#include "state/gentle_mode.h"

namespace {

EM_ASYNC_JS(void, pageShowStill, (double seconds, long frame, int isLast), {
    await Module.page.showStill(seconds, frame, isLast != 0);
});

// Gentle play is the page's switch ("gentle: fewer flashes") as it stands at
// the click that starts a play: the page sets the switch's byte here then.
EM_JS(void, pageOfferGentleSwitch, (bool* on), { Module.page.gentleSwitchAt = on; });

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

// The stills, and again from a new start as often as the page asks.
int runStillsInPage(const char* list) {
    std::vector<double> seconds;
    if (!parseStillTimes(list, &seconds)) {
        reportError("bad still times (seconds from 0 to 228, separated by commas)");
        return 2;
    }
    setPresentPacing(PresentPacing::free);
    StillsRun stills;
    stills.run.rate.num = 30;
    stills.run.rate.den = 1;
    stills.frames = stillFrames(seconds, 30);
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
int playInPage() {
    DemoStart start;
    start.warmUp = false;
    DemoWindow* window = startDemo(start);
    if (!window) return 1;
    for (;;) {
        if (!playDemo(window)) return 1;
        stopMusic();
        pageDemoEnded(0);
        pageWaitForReplay();
        if (!restartPlay()) {
            reportError("cannot load scenes or textures");
            return 1;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    int code;
    if (argc == 3 && std::strcmp(argv[1], "--at") == 0) {
        code = runStillsInPage(argv[2]);
    } else {
        gentleMode.chosenAtPlay = true;
        pageOfferGentleSwitch(&gentleMode.on);
        // Returns only after a start-up failure.
        code = playInPage();
    }
    pageDemoEnded(code);
    return code;
}
