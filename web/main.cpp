// The browser build's entry. The page starts it after the user's click with
// no arguments (the demo as on the desktop, windowed in the page), or with
// "--at T1,T2,..." for stills: no sound, the capture program's fixed-step
// clock at 30 frames a second from 0, stopping on the frame of each time.
// After the end (or Escape) the page offers to watch again: the program
// starts a new play from the files and the music it already holds.
#include <GL/gl.h>
#include <emscripten.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/report_error.h"
#include "platform/window.h"
#include "platform/web/page_bridge.h"
#include "platform/web/web_present.h"
#include "replay.h"
#include "script/frame_loop.h"
#include "shell/demo_main.h"
#include "shell/headless_run.h"
#include "shell/music.h"
#include "shell/start_up.h"
#include "still_times.h"

namespace {

struct Stills {
    std::vector<double> seconds;
    std::vector<long> frames;
    long last = 0;
};

EM_ASYNC_JS(void, pageShowStill, (double seconds, long frame, int isLast), {
    await Module.page.showStill(seconds, frame, isLast != 0);
});

extern "C" void emscripten_glScissor(int x, int y, int width, int height);

bool isStill(const Stills& s, long frame) {
    for (long f : s.frames)
        if (f == frame) return true;
    return false;
}

// Frames before a still are drawn for their history (particles, flares) but
// nobody sees them: a one-pixel scissor box spares the rasterizer, which is
// nearly all of the time a frame takes. Nothing reads pixels back, so the
// stills come out the same.
void scissorFrame(const Stills& s, long frame) {
    if (isStill(s, frame)) {
        glDisable(GL_SCISSOR_TEST);
    } else {
        glEnable(GL_SCISSOR_TEST);
        emscripten_glScissor(0, 0, 1, 1);
    }
}

bool onStillFrame(long frame, void* user) {
    Stills* s = static_cast<Stills*>(user);
    for (size_t i = 0; i < s->frames.size(); ++i) {
        if (s->frames[i] != frame) continue;
        // The frame is drawn: the page shows it (and, before the last one,
        // waits until it is told to go on).
        pageShowStill(s->seconds[i], frame, frame == s->last);
        // While it waited, the page may have lost its context and got it
        // back: the next frames need the pictures and programs made again.
        pumpMessages();
        break;
    }
    scissorFrame(*s, frame + 1);
    return frame < s->last;
}

// The stills once more after a restart, on the same fixed-step clock: the
// loop reads it once before the first frame, then once per frame.
struct StillsAgain {
    Stills* stills;
    FrameRate rate;
    long next;
    long current;
    bool started;
    bool stop;
};
StillsAgain again = {};

uint32_t againClock(void*) {
    if (!again.started) {
        again.started = true;
        return 0;
    }
    again.current = again.next++;
    return frameTimeMs(again.rate, again.current);
}
void againPresent(void*) {
    if (!onStillFrame(again.current, again.stills)) again.stop = true;
    presentDemoWindow();
}
int againStop(void*) { return again.stop ? 1 : 0; }

int runStills(const char* list) {
    Stills s;
    if (!parseStillTimes(list, &s.seconds)) {
        reportError("bad still times (seconds from 0 to 228, separated by commas)");
        return 2;
    }
    s.frames = stillFrames(s.seconds, 30);
    for (long f : s.frames) s.last = f > s.last ? f : s.last;
    setPresentPacing(PresentPacing::free);
    HeadlessRun run;
    run.rate.num = 30;
    run.rate.den = 1;
    run.onFrame = onStillFrame;
    run.user = &s;
    int code = runHeadless(run, nullptr);
    while (code == 0 && pageStillsAgain()) {
        if (!restartPlay()) {
            reportError("cannot load scenes or textures");
            return 1;
        }
        again = StillsAgain{&s, run.rate, 0, -1, false, false};
        runDemo(FrameLoopIo{againClock, nullptr, nullptr, againPresent, againStop, nullptr});
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
        code = runStills(argv[2]);
    } else {
        // Returns only after a start-up failure.
        code = playInPage();
    }
    pageDemoEnded(code);
    return code;
}
