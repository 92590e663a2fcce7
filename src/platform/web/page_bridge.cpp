#include "platform/web/page_bridge.h"

#include <emscripten.h>

#include "platform/web/web_keys.h"
#include "state/demo_state.h"

// The page script (web/page.js) puts its side of these calls on Module.page
// before the program starts; every call here is a thin hand-over to it.

// Hands the page the music time of the frame it is about to show.
EM_ASYNC_JS(void, pageWaitAnimationFrameJs, (double frameSeconds), {
    await Module.page.nextAnimationFrame(frameSeconds);
});

EM_ASYNC_JS(void, pageYieldJs, (), {
    await Module.page.yieldNow();
});

EM_ASYNC_JS(void, pageHaltJs, (), {
    await new Promise(() => {});
});

EM_ASYNC_JS(void, pageWaitForReplayJs, (), {
    await Module.page.waitForReplay();
});

EM_JS(int, pageStillsAgainJs, (), {
    return Module.page.stillsAgain() ? 1 : 0;
});

EM_JS(void, pageShowErrorJs, (const char* text), {
    Module.page.showError(UTF8ToString(text));
});

EM_JS(void, pageDemoEndedJs, (int code), {
    Module.page.demoEnded(code);
});

EM_JS(int, pageTakeKeysJs, (int* out, int max), {
    return Module.page.takeKeys(out >> 2, max);
});

EM_JS(double, pageClockMsJs, (), {
    return Module.page.clockMs();
});

namespace {
// When the browser last had its turn (emscripten_get_now, ms).
double lastTurnMs = 0;
// Work that draws no frames (a seek playing the timeline forward) gives the
// page a turn this often, so it keeps answering and its keys come in.
constexpr double longestWithoutTurnMs = 100;
}  // namespace

void pageWaitAnimationFrame() {
    // The clock counts 35 units a second.
    pageWaitAnimationFrameJs(double(demo.DemoClock.totalTime) / 35.0);
    lastTurnMs = emscripten_get_now();
}
void pageYield() {
    pageYieldJs();
    lastTurnMs = emscripten_get_now();
}
void pageShowError(const char* text) { pageShowErrorJs(text); }
void pageHalt() {
    for (;;) pageHaltJs();
}
void pageDemoEnded(int code) { pageDemoEndedJs(code); }
void pageWaitForReplay() { pageWaitForReplayJs(); }
int pageStillsAgain() { return pageStillsAgainJs(); }
double pageClockMs() { return pageClockMsJs(); }

void pageDrainKeys() {
    if (emscripten_get_now() - lastTurnMs > longestWithoutTurnMs) pageYield();
    // Triples of keyCode, down, Alt held, oldest first.
    int events[3 * 64];
    for (;;) {
        const int n = pageTakeKeysJs(events, 64);
        for (int i = 0; i < n; ++i)
            applyDomKeyEvent(events[3 * i], events[3 * i + 1], events[3 * i + 2]);
        if (n < 64) break;
    }
}
